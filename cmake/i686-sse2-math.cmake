# 32-bit x86 does float and double arithmetic in SSE2 registers, as x86-64
# does. With the x87 default, intermediate values keep extra precision and
# the pictures differ from every other build (the golden checksums fail).
# Every processor that runs a current 32-bit Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
