# Writes a C++ source that holds INPUT as the NUL-terminated array NAME.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}" "namespace ksr {\nextern const unsigned char ${NAME}[];\nconst unsigned char ${NAME}[] = {${bytes}0};\n}\n")
