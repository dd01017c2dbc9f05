// SPDX-License-Identifier: MIT
// MD5 of a byte string as 32 lowercase hex digits, for golden pixel hashes.
#ifndef VELMORO_TESTS_SUPPORT_MD5_H
#define VELMORO_TESTS_SUPPORT_MD5_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmoro_test {

std::string Md5Hex(const uint8_t* data, size_t size);
inline std::string Md5Hex(const std::vector<uint8_t>& bytes)
{
    return Md5Hex(bytes.data(), bytes.size());
}

}  // namespace velmoro_test

#endif
