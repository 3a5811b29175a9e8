# Writes a C++ source holding one file's bytes: cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}\n#include <cstddef>\nextern const unsigned char ${SYMBOL}[] = {\n${bytes}0x00};\nextern const std::size_t ${SYMBOL}_size = ${size};\n")
