// SPDX-License-Identifier: MIT
// The peer benchmark's cases: one operation at one size, done by Velmoro and by
// the peer libraries that offer it. The harness first checks each peer's bytes
// against Velmoro's, then times every contender in interleaved rounds.
#ifndef VELMORO_BENCH_PEERS_PEER_BENCH_H
#define VELMORO_BENCH_PEERS_PEER_BENCH_H

#include <velmoro/dib_edit.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace peer_bench {

// Every block of the benchmark, Velmoro's images included, starts on a cache line,
// so no contender gains or loses by where malloc happened to put its buffers.
constexpr size_t kBlockAlignment = 64;

template <typename T>
struct AlignedAllocator {
    using value_type = T;
    AlignedAllocator() = default;
    template <typename U>
    AlignedAllocator(const AlignedAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{kBlockAlignment})); }
    void deallocate(T* p, size_t) { ::operator delete(p, std::align_val_t{kBlockAlignment}); }
    bool operator==(const AlignedAllocator&) const { return true; }
    bool operator!=(const AlignedAllocator&) const { return false; }
};

using Bytes = std::vector<uint8_t, AlignedAllocator<uint8_t>>;

struct Contender {
    Contender(std::string name, std::function<void()> run, std::string otherRules = {})
        : name(std::move(name)), run(std::move(run)), otherRules(std::move(otherRules))
    {
    }

    std::string name;
    std::function<void()> run;
    // Puts the inputs back as they were before the first run (in-place operations).
    std::function<void()> reset;
    // The result after one run, in the layout Velmoro's result has.
    std::function<Bytes()> result;
    // Empty: the peer follows Velmoro's pixel rules and must give the same bytes.
    // Otherwise, how its rules differ.
    std::string otherRules;
};

struct Case {
    std::string operation;
    int width = 0;
    int height = 0;
    std::vector<Contender> contenders;  // Velmoro first
    size_t imageSize = 0;               // which of the benchmark's image sizes, set by the harness
};

using CaseMaker = void (*)(std::vector<Case>& cases, int width, int height);

// Each family's file registers one maker at start-up; the harness calls every
// maker for every size.
bool RegisterCases(CaseMaker maker);
const std::vector<CaseMaker>& CaseMakers();

// An image with seeded random pixels and, at 8 bits, a 256-entry colour table whose
// entries are all different. compression BI_BITFIELDS makes a 5-6-5 image.
class Image : public CDibEdit {
public:
    Image(int width, int height, int bitCount, DWORD compression, uint32_t seed);

    size_t Stride() const;
    size_t BlockBytes() const { return Stride() * static_cast<size_t>(GetHeight()); }
    Bytes Pixels() const { return Bytes(GetBmpBitsAddress(), GetBmpBitsAddress() + BlockBytes()); }
    void SetPixels(const Bytes& pixels);
    // Writes the key in pixel form into a fraction of the pixels, in runs along the
    // rows as a sprite's background lies: key runs of meanKeyRun pixels on average,
    // the runs of picture between them as long as the fraction asks.
    void PaintKeyRuns(DWORD keyColor, double fraction, double meanKeyRun, uint32_t seed);

    // The conversion workers, which write into the caller's block; the public
    // operations add an allocation per call.
    using CDibEdit::Bit16To24BitPerPixelMMX;
    using CDibEdit::Bit24To16BitPerPixelMMX;
    using CDibEdit::Bit8To16BitPerPixelMMX;
    using CDibEdit::Bit8To24BitPerPixelMMX;
};

// Bytes of a row-major block with rows of `rowBytes` inside rows of `stride`.
Bytes PackedRows(const uint8_t* pixels, size_t rowBytes, size_t stride, int height);

}  // namespace peer_bench

#endif
