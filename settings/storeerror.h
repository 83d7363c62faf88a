#pragma once

#include <cstdint>
#include <string>

// A failure raised inside the settings library. Every interface method catches
// it and hands it to the caller as an ostrel::Failure; it never leaves the library.
struct StoreError
{
    std::int32_t number = 0;
    std::string description;
};
