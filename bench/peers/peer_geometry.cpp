// SPDX-License-Identifier: MIT
// Flips and crop of a 24-bit image: Velmoro's InvertDibVert and InvertDibHorz (in
// place) and its crop worker (into a block the caller owns) beside OpenCV's flip
// (in place too), libyuv's CopyPlane and RGB24Mirror (into a second block) and
// pixman's SRC composite from a source offset.
#include "peer_bench.h"

#include <libyuv/planar_functions.h>
#include <opencv2/core.hpp>
#include <pixman.h>

namespace peer_bench {
namespace {

class CropImage : public Image {
public:
    using Image::Image;
    using CDibEdit::Crop24BitImage;
};

// An image per in-place contender, all starting from the same pixels, and a block
// for the contenders that write elsewhere.
struct FlipInputs {
    std::shared_ptr<Image> velmoro;
    std::shared_ptr<Image> opencv;
    std::shared_ptr<Image> source;
    Bytes start;
    Bytes copy;

    FlipInputs(int width, int height)
        : velmoro(std::make_shared<Image>(width, height, 24, BI_RGB, 51)),
          opencv(std::make_shared<Image>(width, height, 24, BI_RGB, 51)),
          source(std::make_shared<Image>(width, height, 24, BI_RGB, 51)),
          start(velmoro->Pixels()),
          copy(velmoro->BlockBytes())
    {
    }

    cv::Mat OpenCvImage() const
    {
        return cv::Mat(opencv->GetHeight(), opencv->GetWidth(), CV_8UC3, opencv->GetBmpBitsAddress(), opencv->Stride());
    }
};

Contender InPlace(Contender contender, const std::shared_ptr<FlipInputs>& inputs, const std::shared_ptr<Image>& image)
{
    contender.reset = [inputs, image] { image->SetPixels(inputs->start); };
    contender.result = [image] { return image->Pixels(); };
    return contender;
}

Contender IntoCopy(Contender contender, const std::shared_ptr<FlipInputs>& inputs)
{
    contender.result = [inputs] { return inputs->copy; };
    return contender;
}

void AddFlips(std::vector<Case>& cases, int width, int height)
{
    const int rowBytes = width * 3;
    {
        auto inputs = std::make_shared<FlipInputs>(width, height);
        Case c{"flip vertical 24", width, height, {}};
        c.contenders.push_back(InPlace({"Velmoro", [inputs] { inputs->velmoro->InvertDibVert(); }}, inputs, inputs->velmoro));
        c.contenders.push_back(InPlace({"OpenCV flip", [inputs] {
            cv::Mat image = inputs->OpenCvImage();
            cv::flip(image, image, 0);
        }}, inputs, inputs->opencv));
        // A negative height copies the rows in reverse order.
        c.contenders.push_back(IntoCopy({"libyuv CopyPlane", [inputs, rowBytes, height] {
            libyuv::CopyPlane(inputs->source->GetBmpBitsAddress(), rowBytes, inputs->copy.data(), rowBytes, rowBytes,
                              -height);
        }}, inputs));
        cases.push_back(std::move(c));
    }
    {
        auto inputs = std::make_shared<FlipInputs>(width, height);
        Case c{"flip horizontal 24", width, height, {}};
        c.contenders.push_back(InPlace({"Velmoro", [inputs] { inputs->velmoro->InvertDibHorz(); }}, inputs, inputs->velmoro));
        c.contenders.push_back(InPlace({"OpenCV flip", [inputs] {
            cv::Mat image = inputs->OpenCvImage();
            cv::flip(image, image, 1);
        }}, inputs, inputs->opencv));
        c.contenders.push_back(IntoCopy({"libyuv RGB24Mirror", [inputs, rowBytes, width, height] {
            libyuv::RGB24Mirror(inputs->source->GetBmpBitsAddress(), rowBytes, inputs->copy.data(), rowBytes, width,
                                height);
        }}, inputs));
        cases.push_back(std::move(c));
    }
}

// The middle of the image, half its width and height; figures count the pixels copied.
void AddCrop(std::vector<Case>& cases, int width, int height)
{
    auto source = std::make_shared<CropImage>(width, height, 24, BI_RGB, 52);
    const int left = width / 4, top = height / 4, cropWidth = width / 2, cropHeight = height / 2;
    const size_t cropStride = (static_cast<size_t>(cropWidth) * 3 + 3) & ~size_t{3};
    auto velmoroOut = std::make_shared<Bytes>(cropStride * cropHeight);
    auto yuvOut = std::make_shared<Bytes>(cropStride * cropHeight);
    auto opencvOut = std::make_shared<Bytes>(cropStride * cropHeight);
    const size_t sourceStride = source->Stride();
    const uint8_t* corner = source->GetBmpBitsAddress() + top * sourceStride + left * 3;

    Case c{"crop 24", cropWidth, cropHeight, {}};
    const CRect stored(left, top, left + cropWidth, top + cropHeight);
    Contender velmoro{"Velmoro", [source, velmoroOut, stored] { source->Crop24BitImage(*source, stored, velmoroOut->data()); }};
    velmoro.result = [velmoroOut] { return *velmoroOut; };
    c.contenders.push_back(velmoro);

    Contender yuv{"libyuv CopyPlane", [source, yuvOut, corner, sourceStride, cropStride, cropWidth, cropHeight] {
        libyuv::CopyPlane(corner, static_cast<int>(sourceStride), yuvOut->data(), static_cast<int>(cropStride),
                          cropWidth * 3, cropHeight);
    }};
    yuv.result = [yuvOut] { return *yuvOut; };
    c.contenders.push_back(yuv);

    const cv::Mat from(height, width, CV_8UC3, source->GetBmpBitsAddress(), sourceStride);
    const cv::Rect area(left, top, cropWidth, cropHeight);
    cv::Mat to(cropHeight, cropWidth, CV_8UC3, opencvOut->data(), cropStride);
    Contender opencv{"OpenCV copyTo", [source, opencvOut, from, area, to]() mutable { from(area).copyTo(to); }};
    opencv.result = [opencvOut] { return *opencvOut; };
    c.contenders.push_back(opencv);

    // pixman's 24-bit format keeps blue in the lowest byte, as the DIB does.
    auto pixmanOut = std::make_shared<Bytes>(cropStride * cropHeight);
    std::shared_ptr<pixman_image_t> pixmanFrom(
        pixman_image_create_bits(PIXMAN_r8g8b8, width, height, reinterpret_cast<uint32_t*>(source->GetBmpBitsAddress()),
                                 static_cast<int>(sourceStride)),
        pixman_image_unref);
    std::shared_ptr<pixman_image_t> pixmanTo(
        pixman_image_create_bits(PIXMAN_r8g8b8, cropWidth, cropHeight, reinterpret_cast<uint32_t*>(pixmanOut->data()),
                                 static_cast<int>(cropStride)),
        pixman_image_unref);
    Contender pixman{"pixman SRC", [source, pixmanOut, pixmanFrom, pixmanTo, left, top, cropWidth, cropHeight] {
        pixman_image_composite32(PIXMAN_OP_SRC, pixmanFrom.get(), nullptr, pixmanTo.get(), left, top, 0, 0, 0, 0,
                                 cropWidth, cropHeight);
    }};
    pixman.result = [pixmanOut] { return *pixmanOut; };
    c.contenders.push_back(pixman);
    cases.push_back(std::move(c));
}

void MakeGeometryCases(std::vector<Case>& cases, int width, int height)
{
    cv::setNumThreads(1);  // only the calling thread's time is counted
    AddFlips(cases, width, height);
    AddCrop(cases, width, height);
}

const bool kRegistered = RegisterCases(MakeGeometryCases);

}  // namespace
}  // namespace peer_bench
