// Included first in every file of the stub's code (-include). The standard
// library declares its string instantiations "extern", so programs use the
// prebuilt ones: whole objects of some 24 KB each, built with exceptions,
// which bring the exception machinery and a thread library with them. With
// the declarations off, each file instantiates only the members it uses,
// built with the stub's own flags.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
