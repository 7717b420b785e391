// Batch output names, the files' plan and the format words of --format: the same on every system.

#include <cctype>
#include <map>

#include "host/cli/batch.h"
#include "host/cli/system.h"

namespace rimelace_cli {
namespace {

std::string BaseName(const std::string& path) {
    return sys::NameOf(path);
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* Extension(FileFormat format) {
    switch (format) {
    case FileFormat::PNG:
        return ".png";
    case FileFormat::TIFF:
        return ".tif";
    case FileFormat::JPEG:
        return ".jpg";
    }
    return ".png";
}

} // namespace

FileFormat FormatFromWord(const std::string& word) {
    const std::string w = Lower(word);
    if (w == "png") return FileFormat::PNG;
    if (w == "tif" || w == "tiff") return FileFormat::TIFF;
    if (w == "jpg" || w == "jpeg") return FileFormat::JPEG;
    throw ImageFileError("unknown --format '" + word + "'; use png, tif or jpg");
}

std::string BatchOutputName(const std::string& input, const std::string& outDir, std::optional<FileFormat> format) {
    std::string name = BaseName(input);
    if (format) {
        const auto dot = name.find_last_of('.');
        if (dot != std::string::npos && dot > 0) name.erase(dot);
        name += Extension(*format);
    } else {
        FormatForName(name); // throws for a name whose type the program cannot write
    }
    std::string folder = outDir;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/" + name;
}

std::vector<BatchFile> PlanBatch(const BatchJob& batch) {
    std::vector<BatchFile> files;
    std::map<std::string, std::string> taken; // output name -> the input that takes it
    for (const std::string& input : batch.inputs) {
        BatchFile file;
        file.input = input;
        try {
            file.output = BatchOutputName(input, batch.outDir, batch.format);
        } catch (const ImageFileError& error) {
            file.problem = error.what();
        }
        if (!file.problem.empty()) {
        } else if (sys::IsFolder(input)) {
            file.problem = "'" + input + "' is a folder, not an image file";
        } else if (!sys::IsFile(input)) {
            file.problem = "cannot read '" + input + "': no such file";
        } else if (const auto [at, fresh] = taken.emplace(file.output, input); !fresh) {
            file.problem = "'" + input + "' would be written to '" + file.output + "', which '" + at->second +
                           "' already takes; rename one of them";
        }
        files.push_back(std::move(file));
    }
    return files;
}

} // namespace rimelace_cli
