// GCC's and Clang's 128-bit integers; __extension__ keeps pedantic builds quiet about them.
#pragma once

namespace bestfocus {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

}  // namespace bestfocus
