// SPDX-License-Identifier: MIT
#include "batch.h"

#include "image_input.h"
#include "image_output.h"
#include "progress.h"
#include "standard_streams.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <vector>

namespace velmoro_tool {
namespace {

constexpr const char* kFormatOption = "[--format bmp|jpeg|png]";
constexpr int kMostJobs = 256;

// The command's own arguments split into positionals and options.
std::pair<std::string, std::string> SplitOwn(const std::string& own)
{
    std::istringstream stream(own);
    std::string positionals, options;
    for (std::string token; stream >> token;) {
        const bool option = token.compare(0, 2, "--") == 0 || token.compare(0, 3, "[--") == 0;
        std::string& part = option || !options.empty() ? options : positionals;
        part += (part.empty() ? "" : " ") + token;
    }
    return {positionals, options};
}

std::string Joined(std::initializer_list<std::string> parts)
{
    std::string text;
    for (const std::string& part : parts)
        if (!part.empty())
            text += (text.empty() ? "" : " ") + part;
    return text;
}

int FormatOption(const Arguments& args)
{
    if (!args.Has("--format"))
        return PICTURE_FORMAT_AUTO;
    const std::string& text = args.Text("--format");
    if (text == "bmp")
        return PICTURE_FORMAT_BMP;
    if (text == "jpeg" || text == "jpg")
        return PICTURE_FORMAT_JPEG;
    if (text == "png")
        return PICTURE_FORMAT_PNG;
    throw UsageError("--format takes bmp, jpeg or png, not '" + text + "'");
}

const char* ExtensionOf(int format)
{
    switch (format) {
    case PICTURE_FORMAT_JPEG: return ".jpg";
    case PICTURE_FORMAT_PNG: return ".png";
    default: return ".bmp";
    }
}

// DIR/NAME for an input: its own file name, with the extension of the format
// asked for, if any.
std::string OutputPath(const std::string& dir, const std::string& input, int format)
{
    const size_t slash = input.rfind('/');
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    if (format != PICTURE_FORMAT_AUTO) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot != 0)
            name.erase(dot);
        name += ExtensionOf(format);
    }
    return dir + (!dir.empty() && dir.back() == '/' ? "" : "/") + name;
}

void MakeFolder(const std::string& dir)
{
    struct stat status;
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        throw Failure(dir, "cannot make the folder: " + SystemReason(errno));
    if (::stat(dir.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        throw Failure(dir, "cannot make the folder: " + SystemReason(ENOTDIR));
}

// One picture read, changed and written; its failure, if it failed.
std::optional<Failure> ProcessPicture(const PictureStep& step, const std::string& in, const std::string& out,
                                      int format)
{
    try {
        CDibEdit image;
        LoadInput(in, image);
        step.apply(image, in);
        SaveOutput(image, out, step.jpeg, format);
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return Failure(in, "not enough memory");
    } catch (const std::exception& error) {
        // Nothing may leave a worker thread: it would end the whole program.
        return Failure(in, error.what());
    }
}

int RunOne(const Command& command, const Arguments& args, const std::vector<std::string>& names)
{
    if (args.Has("--jobs"))
        throw UsageError("--jobs goes with --out-dir");
    if (names.size() > 2)
        throw UsageError("several inputs need --out-dir DIR");
    if (names.size() < 2)
        throw UsageError("OUT is missing (or, for several inputs, --out-dir DIR)");
    const std::string& in = names[0];
    const std::string& out = names[1];
    const int outputFormat = OutputFormat(args, out);
    const PictureStep step = command.prepare(args, outputFormat);
    CDibEdit image;
    LoadInput(in, image);
    step.apply(image, InputName(in));
    WriteOutput(image, out, step.jpeg, outputFormat);
    return 0;
}

int RunMany(const Command& command, const Arguments& args, const std::vector<std::string>& inputs, int format)
{
    const std::string& dir = args.Text("--out-dir");
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const int jobs = args.Int("--jobs", 1, kMostJobs, cores > 0 ? std::min(cores, kMostJobs) : 1);
    std::vector<std::string> outputs;
    std::map<std::string, std::string> writtenBy;
    for (const std::string& input : inputs) {
        if (IsStandardStream(input))
            throw UsageError("standard input (-) is one picture: give it as IN OUT, without --out-dir");
        outputs.push_back(OutputPath(dir, input, format));
        if (format == PICTURE_FORMAT_AUTO)
            FormatForName(outputs.back());  // a name of no format is refused before any work
        const auto claimed = writtenBy.emplace(outputs.back(), input);
        if (!claimed.second)
            throw UsageError("'" + claimed.first->second + "' and '" + input + "' would both be written to " +
                             outputs.back());
    }
    const PictureStep step = command.prepare(args, format);
    MakeFolder(dir);

    std::mutex reporting;  // standard error and the counts
    Progress progress(inputs.size());
    size_t done = 0, failed = 0;
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < inputs.size(); i = next++) {
            const std::optional<Failure> failure = ProcessPicture(step, inputs[i], outputs[i], format);
            const std::lock_guard<std::mutex> lock(reporting);
            ++done;
            if (failure) {
                ++failed;
                progress.Clear();
                ReportFailure(*failure);
            }
            progress.Show(done);
        }
    };
    std::vector<std::thread> workers;
    const size_t threads = std::min<size_t>(static_cast<size_t>(jobs), inputs.size());
    for (size_t t = 1; t < threads; ++t) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the threads there are share the work
        }
    }
    work();
    for (std::thread& worker : workers)
        worker.join();
    progress.Clear();

    const std::string written = failed == 0 ? Counted(inputs.size(), "picture")
                                            : std::to_string(inputs.size() - failed) + " of " +
                                                  Counted(inputs.size(), "picture");
    std::printf("%s: %s written%s\n", dir.c_str(), written.c_str(),
                failed == 0 ? "" : (", " + std::to_string(failed) + " failed").c_str());
    return failed == 0 ? 0 : 1;
}

}  // namespace

int OutputFormat(const Arguments& args, const std::string& out)
{
    const int format = FormatOption(args);
    if (format != PICTURE_FORMAT_AUTO)
        return format;
    if (IsStandardStream(out))
        throw UsageError("standard output (-) needs --format bmp, jpeg or png");
    return FormatForName(out);
}

void WriteOutput(CDib& image, const std::string& out, const JpegSettings& jpeg, int format)
{
    if (IsStandardStream(out))
        WriteStandardOutput(image, jpeg, format);
    else
        SaveOutput(image, out, jpeg, format);
}

std::string PictureUsage(const std::string& own)
{
    const auto split = SplitOwn(own);
    return Joined({"IN...", split.first, "[--out-dir DIR]", kFormatOption, "[--jobs N]", split.second});
}

std::string PictureUsageForms(const std::string& name, const std::string& own)
{
    const auto split = SplitOwn(own);
    return Joined({"velmoro", name, "IN OUT", split.first, split.second, kFormatOption}) + "\n       " +
           Joined({"velmoro", name, "IN...", split.first, "--out-dir DIR", kFormatOption, "[--jobs N]", split.second});
}

int RunPictures(const Command& command, const Arguments& args)
{
    const std::vector<std::string>& names = args.List("IN...");
    // The SIMD twins give the plain rows' pixels faster. The flag is the whole
    // process's: it is set here, before any worker starts.
    CDibEdit::TryEnableMMXSupport();
    if (!args.Has("--out-dir"))
        return RunOne(command, args, names);
    return RunMany(command, args, names, FormatOption(args));
}

}  // namespace velmoro_tool
