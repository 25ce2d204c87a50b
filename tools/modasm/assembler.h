#pragma once
// The song assembler as modasm's library gives it (authoring/song/assembler.h),
// with the problems also as printed lines (diagnostics.h).
#include "diagnostics.h"
