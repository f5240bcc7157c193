#include "settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "saver_settings.h"

namespace {

const char CONFIG_FOLDER[] = "tamblorn";
const char HOME_CONFIG[] = ".config";
// The Windows program's file is a few hundred bytes; past this a file is
// read no further.
const size_t SETTINGS_READ_LIMIT = 1 << 20;

size_t ReadWhole(int file, char* bytes, size_t limit)
{
    size_t length = 0;
    while (length < limit) {
        ssize_t got = read(file, bytes + length, limit - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        length += static_cast<size_t>(got);
    }
    return length;
}

}  // namespace

bool SettingsFilePath(char* path, size_t size)
{
    const char* config = getenv("XDG_CONFIG_HOME");
    const char* home = getenv("HOME");
    int length;
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the base-directory rules ask.
    if (config && config[0] == '/')
        length = snprintf(path, size, "%s/%s/%s", config, CONFIG_FOLDER, SETTINGS_FILE_NAME);
    else if (home && home[0] != '\0')
        length = snprintf(path, size, "%s/%s/%s/%s", home, HOME_CONFIG, CONFIG_FOLDER, SETTINGS_FILE_NAME);
    else
        return false;
    return length > 0 && static_cast<size_t>(length) < size;
}

bool LoadNativeSettings(SaverSettings& settings)
{
    char path[4096];
    char* bytes = nullptr;
    size_t length = 0;
    bool regular = true;
    // Opened without blocking: a FIFO at the file's place would otherwise
    // hold the program before it ever shows anything.
    int file = SettingsFilePath(path, sizeof path) ? open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (file >= 0) {
        struct stat status;
        regular = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
        bytes = regular ? static_cast<char*>(malloc(SETTINGS_READ_LIMIT)) : nullptr;
        if (bytes)
            length = ReadWhole(file, bytes, SETTINGS_READ_LIMIT);
        close(file);
    }
    ReadSettingsFileTakingUtf8(bytes, length, &settings);
    free(bytes);
    return regular;
}
