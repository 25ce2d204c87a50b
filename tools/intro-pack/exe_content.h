#pragma once
// Placeholder until the PE writer lands.
#include <cstdint>
#include <string>
#include <vector>
bool WriteIntroExe(const std::vector<uint8_t>& shell, const std::vector<uint8_t>& fontBmpFile,
                   const std::vector<uint8_t>& contentPack, std::vector<uint8_t>* exe,
                   std::string* error);
