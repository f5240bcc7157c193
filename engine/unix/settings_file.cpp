#include "settings_file.h"

#include <cstdio>
#include <cstdlib>

#include "saver_settings.h"

namespace {

const char CONFIG_FOLDER[] = "tamblorn";
const char HOME_CONFIG[] = ".config";
// The Windows program's file is a few hundred bytes; past this a file is
// read no further.
const size_t SETTINGS_READ_LIMIT = 1 << 20;

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

void LoadNativeSettings()
{
    char path[4096];
    char* bytes = nullptr;
    size_t length = 0;
    FILE* file = SettingsFilePath(path, sizeof path) ? fopen(path, "rb") : nullptr;
    if (file) {
        bytes = static_cast<char*>(malloc(SETTINGS_READ_LIMIT));
        if (bytes)
            length = fread(bytes, 1, SETTINGS_READ_LIMIT, file);
        fclose(file);
    }
    ReadSettingsFile(bytes, length, &saverSettings);
    free(bytes);
}
