#include "exe_content.h"
bool WriteIntroExe(const std::vector<uint8_t>&, const std::vector<uint8_t>&,
                   const std::vector<uint8_t>&, std::vector<uint8_t>*, std::string* error) {
    *error = "not built yet";
    return false;
}
