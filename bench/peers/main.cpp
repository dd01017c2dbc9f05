// SPDX-License-Identifier: MIT
// Velmoro beside its peers, in one process: every case is checked for equal bytes,
// then all contenders of all cases are timed in rounds, one sample each per round,
// so that drift of a shared machine hits all of them alike. A case's figure is the
// median of its rounds.
//   velmoro_peer_bench [--rounds N] [--sample-ms MS] [--filter TEXT]
// --filter keeps the cases whose operation and size ("blend 24 in place 256x256")
// contain the text.
#include "peer_bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <time.h>

namespace peer_bench {

namespace {

std::vector<CaseMaker>& Makers()
{
    static std::vector<CaseMaker> makers;
    return makers;
}

}  // namespace

bool RegisterCases(CaseMaker maker)
{
    Makers().push_back(maker);
    return true;
}

const std::vector<CaseMaker>& CaseMakers()
{
    return Makers();
}

Image::Image(int width, int height, int bitCount, DWORD compression, uint32_t seed)
{
    Create(width, height, bitCount, 0, compression == BI_BITFIELDS ? DIB_FORMAT_565 : DIB_FORMAT_555);
    if (bitCount == 8) {
        RGBQUAD* table = GetColorTabAddress();
        for (int i = 0; i < 256; ++i)
            table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    }
    // The same header and table over a pixel block on a cache line; both blocks are
    // released with free(), as the library releases its own.
    const size_t infoBytes = sizeof(BITMAPINFOHEADER) + (compression == BI_BITFIELDS ? 12 : 0) +
                             (bitCount == 8 ? 256 * sizeof(RGBQUAD) : 0);
    auto* info = static_cast<BITMAPINFO*>(std::malloc(infoBytes));
    std::memcpy(info, GetBmpInfoAddress(), infoBytes);
    const size_t blockBytes = (BlockBytes() + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
    ReplaceBlocks(info, static_cast<BYTE*>(std::aligned_alloc(kBlockAlignment, blockBytes)));
    std::mt19937 rng(seed);
    BYTE* bits = GetBmpBitsAddress();
    for (size_t i = 0; i < BlockBytes(); i += 4) {
        const uint32_t random = rng();
        std::memcpy(bits + i, &random, std::min<size_t>(4, BlockBytes() - i));
    }
    // Row padding as Velmoro leaves it, so whole blocks compare.
    const size_t rowBytes = static_cast<size_t>(width) * bitCount / 8;
    for (int y = 0; y < height; ++y)
        std::memset(bits + y * Stride() + rowBytes, 0, Stride() - rowBytes);
}

size_t Image::Stride() const
{
    return ((static_cast<size_t>(GetWidth()) * GetBitCount() + 31) >> 3) & ~size_t{3};
}

void Image::SetPixels(const Bytes& pixels)
{
    std::memcpy(GetBmpBitsAddress(), pixels.data(), std::min(pixels.size(), BlockBytes()));
}

void Image::PaintKeyRuns(DWORD keyColor, double fraction, double meanKeyRun, uint32_t seed)
{
    const int bytes = GetBitCount() / 8;
    uint8_t key[3] = {};
    if (bytes == 1) {
        key[0] = static_cast<uint8_t>(GetColorTableIndex(GetColorTabAddress(), keyColor, 256));
    } else if (bytes == 2) {
        const bool is565 = GetCompression() == BI_BITFIELDS;
        const unsigned r = GetRValue(keyColor), g = GetGValue(keyColor), b = GetBValue(keyColor);
        const unsigned word = is565 ? ((r >> 3) << 11 | (g >> 2) << 5 | b >> 3) : ((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
        key[0] = static_cast<uint8_t>(word);
        key[1] = static_cast<uint8_t>(word >> 8);
    } else {
        key[0] = GetBValue(keyColor);
        key[1] = GetGValue(keyColor);
        key[2] = GetRValue(keyColor);
    }
    std::mt19937 rng(seed);
    // Run lengths drawn from geometric distributions, which have no typical phase
    // a contender could lock onto.
    std::geometric_distribution<int> keyRun(1.0 / meanKeyRun);
    std::geometric_distribution<int> pictureRun(fraction / (meanKeyRun * (1.0 - fraction)));
    for (int y = 0; y < GetHeight(); ++y) {
        BYTE* row = GetBmpBitsAddress() + y * Stride();
        bool keyed = std::bernoulli_distribution(fraction)(rng);
        for (int x = 0; x < GetWidth();) {
            const int run = std::min(GetWidth() - x, 1 + (keyed ? keyRun(rng) : pictureRun(rng)));
            if (keyed)
                for (int i = x; i < x + run; ++i)
                    std::memcpy(row + i * bytes, key, bytes);
            x += run;
            keyed = !keyed;
        }
    }
}

Bytes PackedRows(const uint8_t* pixels, size_t rowBytes, size_t stride, int height)
{
    Bytes packed;
    packed.reserve(rowBytes * height);
    for (int y = 0; y < height; ++y)
        packed.insert(packed.end(), pixels + y * stride, pixels + y * stride + rowBytes);
    return packed;
}

}  // namespace peer_bench

namespace {

using namespace peer_bench;

struct Options {
    int rounds = 7;
    double sampleMs = 15;
    std::string filter;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--rounds" && value)
            options.rounds = std::max(1, std::atoi(value)), ++i;
        else if (arg == "--sample-ms" && value)
            options.sampleMs = std::max(1.0, std::atof(value)), ++i;
        else if (arg == "--filter" && value)
            options.filter = value, ++i;
        else {
            std::fprintf(stderr, "usage: %s [--rounds N] [--sample-ms MS] [--filter TEXT]\n", argv[0]);
            std::exit(2);
        }
    }
    return options;
}

// What --filter looks in: "JPEG decode 256x256".
std::string Title(const Case& c)
{
    return c.operation + " " + std::to_string(c.width) + "x" + std::to_string(c.height);
}

// One timed contender: how many runs make a sample, and each round's seconds per run.
struct Timing {
    const Contender* contender;
    long runsPerSample = 1;
    std::vector<double> secondsPerRun;

    double Median() const
    {
        std::vector<double> sorted = secondsPerRun;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// The thread's processor time: on a shared machine the time spent waiting for the
// processor is left out, for every contender alike (none of them starts threads).
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double SecondsOf(const std::function<void()>& run, long times)
{
    const double start = ThreadSeconds();
    for (long i = 0; i < times; ++i)
        run();
    return ThreadSeconds() - start;
}

void Calibrate(Timing& timing, double sampleSeconds)
{
    const double once = std::max(SecondsOf(timing.contender->run, 1), 1e-7);
    timing.runsPerSample = std::max(1L, static_cast<long>(sampleSeconds / once));
}

// "same bytes", the other rules of the peer, or a failure the caller reports.
std::string CheckContender(const Case& c, const Contender& peer, const Bytes& expected, bool& failed)
{
    if (peer.reset)
        peer.reset();
    peer.run();
    const Bytes got = peer.result();
    if (got == expected)
        return peer.otherRules.empty() ? "same bytes" : "same bytes (" + peer.otherRules + ")";
    if (!peer.otherRules.empty())
        return peer.otherRules;
    size_t at = 0;
    while (at < std::min(got.size(), expected.size()) && got[at] == expected[at])
        ++at;
    std::fprintf(stderr, "%s %dx%d: %s differs from Velmoro at byte %zu of %zu/%zu\n", c.operation.c_str(), c.width,
                 c.height, peer.name.c_str(), at, got.size(), expected.size());
    failed = true;
    return "DIFFERENT BYTES";
}

struct MemcpyCase {
    Bytes from, to;
    Contender contender{"memcpy", nullptr};
    Timing timing{&contender, 1, {}};
};

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    CDibEdit::TryEnableMMXSupport();

    const std::pair<int, int> sizes[] = {{1920, 1080}, {256, 256}};
    std::vector<Case> cases;
    for (size_t size = 0; size < std::size(sizes); ++size)
        for (CaseMaker maker : CaseMakers()) {
            const size_t made = cases.size();
            maker(cases, sizes[size].first, sizes[size].second);
            for (size_t i = made; i < cases.size(); ++i)
                cases[i].imageSize = size;
        }
    cases.erase(std::remove_if(cases.begin(), cases.end(),
                               [&](const Case& c) { return Title(c).find(options.filter) == std::string::npos; }),
                cases.end());

    // memcpy of a 24-bit block of each size, timed in the same rounds.
    std::vector<std::unique_ptr<MemcpyCase>> copies;
    for (const auto& size : sizes) {
        auto copy = std::make_unique<MemcpyCase>();
        const size_t bytes = static_cast<size_t>(size.first) * size.second * 3;
        copy->from.assign(bytes, 1);
        copy->to.assign(bytes, 0);
        MemcpyCase* raw = copy.get();
        copy->contender.run = [raw] { std::memcpy(raw->to.data(), raw->from.data(), raw->from.size()); };
        copies.push_back(std::move(copy));
    }

    bool failed = false;
    std::vector<std::vector<std::string>> verdicts(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Contender& velmoro = c.contenders.front();
        if (velmoro.reset)
            velmoro.reset();
        velmoro.run();
        const Bytes expected = velmoro.result();
        for (size_t p = 1; p < c.contenders.size(); ++p)
            verdicts[i].push_back(CheckContender(c, c.contenders[p], expected, failed));
    }

    std::vector<std::vector<Timing>> timings(cases.size());
    const double sampleSeconds = options.sampleMs / 1000.0;
    for (size_t i = 0; i < cases.size(); ++i)
        for (const Contender& contender : cases[i].contenders) {
            timings[i].push_back(Timing{&contender, 1, {}});
            Calibrate(timings[i].back(), sampleSeconds);
        }
    for (auto& copy : copies)
        Calibrate(copy->timing, sampleSeconds);

    for (int round = 0; round < options.rounds; ++round) {
        for (auto& copy : copies)
            copy->timing.secondsPerRun.push_back(SecondsOf(copy->contender.run, copy->timing.runsPerSample) /
                                                 copy->timing.runsPerSample);
        for (size_t i = 0; i < cases.size(); ++i) {
            // The order within a case turns each round, so no contender always runs first.
            std::vector<Timing>& caseTimings = timings[i];
            for (size_t n = 0; n < caseTimings.size(); ++n) {
                Timing& t = caseTimings[(n + round) % caseTimings.size()];
                t.secondsPerRun.push_back(SecondsOf(t.contender->run, t.runsPerSample) / t.runsPerSample);
            }
        }
    }

    std::printf("| Operation | Size | Velmoro MP/s | Best peer | Peer MP/s | Ratio | memcpy GB/s | Check |\n");
    std::printf("|---|---|---:|---|---:|---:|---:|---|\n");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const double megapixels = static_cast<double>(c.width) * c.height / 1e6;
        const double velmoro = megapixels / timings[i][0].Median();
        size_t best = 1;
        for (size_t p = 2; p < timings[i].size(); ++p)
            if (timings[i][p].Median() < timings[i][best].Median())
                best = p;
        const double peer = megapixels / timings[i][best].Median();
        const MemcpyCase& copy = *copies[c.imageSize];
        const double copyGBs = copy.from.size() / copy.timing.Median() / 1e9;
        std::string check;
        for (size_t p = 1; p < c.contenders.size(); ++p)
            check += (p > 1 ? "; " : "") + c.contenders[p].name + ": " + verdicts[i][p - 1];
        std::printf("| %s | %dx%d | %.0f | %s | %.0f | %.2f | %.1f | %s |\n", c.operation.c_str(), c.width, c.height,
                    velmoro, c.contenders[best].name.c_str(), peer, velmoro / peer, copyGBs, check.c_str());
        // Every peer's figure, for the notes.
        for (size_t p = 1; p < c.contenders.size(); ++p)
            if (p != best)
                std::fprintf(stderr, "  %s %dx%d: %s %.0f MP/s\n", c.operation.c_str(), c.width, c.height,
                             c.contenders[p].name.c_str(), megapixels / timings[i][p].Median());
    }
    return failed ? 1 : 0;
}
