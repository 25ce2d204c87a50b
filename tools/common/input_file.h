#pragma once
// The tools' name for the bounded file reading they share with the native
// intro (app/input_file.h).
#include "app/input_file.h"
