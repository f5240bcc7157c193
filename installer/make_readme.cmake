# Writes the read-me that ships beside the saver: the version filled in, with
# a byte-order mark and Windows line ends so that Notepad shows its Japanese.
#   cmake -DVERSION=x.y.z -DSOURCE=README-dist.txt -DOUTPUT=README.txt -P make_readme.cmake
file(READ ${SOURCE} text)
string(REPLACE "@TAMBLORN_VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE ${OUTPUT} "${byte_order_mark}${text}")
