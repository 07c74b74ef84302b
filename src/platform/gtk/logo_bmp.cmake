# Writes the logo's bytes as a C++ array: cmake -DIN=logo.bmp -DOUT=logo_bmp.cpp -P logo_bmp.cmake
file(READ ${IN} bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," array "${bytes}")
file(WRITE ${OUT} "#include \"platform/gtk/logo_bmp.h\"\n\nnamespace zm {\n\n"
  "const unsigned char kLogoBmp[] = {${array}};\nconst size_t kLogoBmpSize = ${size};\n\n}\n")
