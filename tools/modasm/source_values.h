#pragma once
// The song source's values (note names, numbers) for programs that show them
// (modplay's view): the authoring library's.
#include "authoring/song/source_values.h"
