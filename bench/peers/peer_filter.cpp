// SPDX-License-Identifier: MIT
// The 3 x 3 filter of a 24-bit image: Velmoro's FilterDib (a new pixel block each
// call) beside OpenCV's filter2D into a block made once, pixels outside the image zero.
#include "peer_bench.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace peer_bench {
namespace {

// An emboss: not symmetric, so a kernel turned upside down would show in the check.
constexpr int kKernel[9] = {-2, -1, 0, -1, 1, 1, 0, 1, 2};
constexpr int kOffset = 128;

void AddFilter(std::vector<Case>& cases, int width, int height)
{
    cv::setNumThreads(1);  // only the calling thread's time is counted
    auto image = std::make_shared<Image>(width, height, 24, BI_RGB, 41);
    auto start = std::make_shared<Bytes>(image->Pixels());
    auto filtered = std::make_shared<cv::Mat>(height, width, CV_8UC3);
    // The first kernel row weighs the stored row below, the lower address: OpenCV's row above.
    cv::Mat kernel(3, 3, CV_32F);
    for (int i = 0; i < 9; ++i)
        kernel.at<float>(i / 3, i % 3) = static_cast<float>(kKernel[i]);

    Case c{"3x3 filter", width, height, {}};
    Contender velmoro{"Velmoro", [image] {
        int weights[9];
        std::copy(kKernel, kKernel + 9, weights);
        image->FilterDib(weights, 1, kOffset);
    }};
    velmoro.reset = [image, start] { image->SetPixels(*start); };
    velmoro.result = [image] { return image->Pixels(); };
    c.contenders.push_back(velmoro);

    const cv::Mat in(height, width, CV_8UC3, start->data(), image->Stride());
    Contender opencv{"OpenCV filter2D", [in, filtered, kernel] {
        cv::filter2D(in, *filtered, -1, kernel, cv::Point(-1, -1), kOffset, cv::BORDER_CONSTANT);
    }};
    opencv.result = [filtered] { return PackedRows(filtered->data, filtered->cols * 3, filtered->step, filtered->rows); };
    c.contenders.push_back(opencv);
    cases.push_back(std::move(c));
}

const bool kRegistered = RegisterCases(AddFilter);

}  // namespace
}  // namespace peer_bench
