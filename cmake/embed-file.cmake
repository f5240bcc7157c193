# Writes a C++ source holding the bytes of INPUT as the array NAME, with the
# size NAME_SIZE; run as `cmake -DINPUT=… -DOUTPUT=… -DNAME=… -P embed-file.cmake`.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "#include <cstddef>\n\nextern const unsigned char ${NAME}[] = {\n${bytes}};\nextern const size_t ${NAME}_SIZE = sizeof ${NAME};\n")
