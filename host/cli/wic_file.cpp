// PNG, TIFF and JPEG files through the Windows Imaging Component: the codecs behind
// image_file.h in the Windows build. The decoder's pixels are copied as they come when the
// frame's pixel format is one of ours (wic_p.h); anything else (palettes, fewer than 8
// bits, premultiplied alpha) goes through the component's own format converter first.

#include <windows.h>

#include <wincodec.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "host/cli/image_file_p.h"
#include "host/cli/wic_p.h"

namespace rimelace_cli {
namespace {

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The process's imaging factory, created on first use (and COM with it, as a single-threaded
// apartment, which the plug-in's dialog and the shell are happy with too).
IWICImagingFactory* Factory(std::string* why) {
    static IWICImagingFactory* factory = nullptr;
    static HRESULT failure = S_OK;
    if (!factory && failure == S_OK) {
        const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (FAILED(init) && init != RPC_E_CHANGED_MODE) failure = init;
        else
            failure = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory));
        if (SUCCEEDED(failure)) failure = S_OK;
    }
    if (!factory) *why = "the system's imaging component is not available (" + HexCode(failure) + ")";
    return factory;
}

std::wstring Wide(const std::string& path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(std::size_t(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

const GUID& Container(FileFormat format) {
    switch (format) {
    case FileFormat::PNG:
        return GUID_ContainerFormatPng;
    case FileFormat::TIFF:
        return GUID_ContainerFormatTiff;
    case FileFormat::JPEG:
        break;
    }
    return GUID_ContainerFormatJpeg;
}

const char* FormatName(FileFormat format) {
    return format == FileFormat::PNG ? "PNG" : format == FileFormat::TIFF ? "TIFF" : "JPEG";
}

// What a PNG file's header says (the component shows gray with alpha as colour).
bool PngIsGray(const std::uint8_t* bytes, std::size_t size) {
    // Signature (8), chunk length and type (8), width and height (8), bit depth, colour type.
    return size > 25 && (bytes[25] == 0 || bytes[25] == 4);
}

// Decodes the first frame of a decoder into an Image. `name` stands for the file in messages.
Image DecodeFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, FileFormat format, bool pngGray,
                  const std::string& name) {
    Com<IWICBitmapFrameDecode> frame;
    HRESULT hr = decoder->GetFrame(0, frame.out());
    if (FAILED(hr)) FailRead(name, std::string("damaged ") + FormatName(format) + " file (no image in it)");
    UINT width = 0, height = 0;
    WICPixelFormatGUID native{};
    if (FAILED(frame->GetSize(&width, &height)) || FAILED(frame->GetPixelFormat(&native)))
        FailRead(name, std::string("damaged ") + FormatName(format) + " file");

    const PixelLayout* layout = LayoutOfFormat(native);
    if (layout && layout->color == ColorModel::CMYK && format == FileFormat::JPEG)
        FailRead(name, "unsupported JPEG colour space (gray and RGB are read)");
    IWICBitmapSource* source = frame.get();
    Com<IWICFormatConverter> converter;
    if (!layout) {
        // Convert to the nearest of ours: gray, colour, colour with alpha; 8 or 16 bits.
        const PixelFormatFacts facts = FactsOfFormat(factory, native);
        Com<IWICPalette> palette;
        bool alpha = facts.transparency;
        if (facts.indexed && SUCCEEDED(factory->CreatePalette(palette.out())) &&
            SUCCEEDED(frame->CopyPalette(palette.get()))) {
            BOOL hasAlpha = FALSE;
            alpha = SUCCEEDED(palette->HasAlpha(&hasAlpha)) && hasAlpha;
        }
        layout = NearestLayout(facts, alpha);
        if (!layout || FAILED(factory->CreateFormatConverter(converter.out())) ||
            FAILED(converter->Initialize(frame.get(), layout->wic, WICBitmapDitherTypeNone, palette.get(), 0.0,
                                         WICBitmapPaletteTypeCustom)))
            FailRead(name, std::string("unsupported ") + FormatName(format) + " pixel format");
        source = converter.get();
    }

    CheckReadSize(name, width, height, layout->channels);
    const std::size_t stride = std::size_t(width) * layout->channels * (layout->depth / 8);
    if (stride > 0xFFFFFFFFu / (height ? height : 1)) FailRead(name, "the image is too large");
    std::vector<std::uint8_t> pixels(stride * height);
    hr = source->CopyPixels(nullptr, UINT(stride), UINT(pixels.size()), pixels.data());
    if (FAILED(hr))
        FailRead(name, std::string("damaged or truncated ") + FormatName(format) + " file (" + HexCode(hr) + ")");
    Image image = FromPixels(*layout, int(width), int(height), pixels);
    if (format == FileFormat::PNG && pngGray && image.color == ColorModel::RGB) KeepFirstChannelAsGray(image);
    return image;
}

Image Decode(FileFormat format, const std::string& path) {
    std::string why;
    IWICImagingFactory* factory = Factory(&why);
    if (!factory) FailRead(path, why);
    std::uint8_t head[32] = {};
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fread(head, 1, sizeof head, file);
        std::fclose(file);
    } else {
        FailRead(path, std::strerror(errno));
    }
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_READ)))
        FailRead(path, "cannot open the file");
    if (FAILED(factory->CreateDecoder(Container(format), nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        FailRead(path, std::string("not a valid ") + FormatName(format) + " file");
    return DecodeFrame(factory, decoder.get(), format, PngIsGray(head, sizeof head), path);
}

// The options the Linux build writes with: JPEG at quality 92 without chroma subsampling, TIFF
// compressed with deflate. A writer without an option keeps its default.
void SetEncoderOptions(IPropertyBag2* options, FileFormat format) {
    if (!options || format == FileFormat::PNG) return;
    auto set = [options](const wchar_t* name, VARTYPE type, float real, BYTE byte) {
        PROPBAG2 option{};
        option.pstrName = const_cast<LPOLESTR>(name);
        VARIANT value;
        VariantInit(&value);
        value.vt = type;
        if (type == VT_R4)
            value.fltVal = real;
        else
            value.bVal = byte;
        options->Write(1, &option, &value);
    };
    if (format == FileFormat::JPEG) {
        set(L"ImageQuality", VT_R4, 0.92f, 0);
        set(L"JpegYCrCbSubsampling", VT_UI1, 0, WICJpegYCrCbSubsampling444);
    } else {
        set(L"TiffCompressionMethod", VT_UI1, 0, WICTiffCompressionZIP);
    }
}

// Writes `image` to `stream` through the encoder of `format`, 16-bit samples byte-swapped when
// `swap16`. Returns "" or why not. With `probeOnly` it stops once the encoder took the format.
std::string EncodeAs(IWICImagingFactory* factory, IStream* stream, FileFormat format, const Image& image,
                     bool probeOnly, bool swap16) {
    const PixelLayout* layout = LayoutForImage(image);
    if (!layout) return "cannot hold " + ModeText(image);
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    HRESULT hr = factory->CreateEncoder(Container(format), nullptr, encoder.out());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.out(), options.out());
    if (FAILED(hr)) return std::string("the system has no ") + FormatName(format) + " writer (" + HexCode(hr) + ")";
    SetEncoderOptions(options.get(), format);
    WICPixelFormatGUID asked = layout->wic;
    hr = frame->Initialize(options.get());
    if (SUCCEEDED(hr)) hr = frame->SetSize(UINT(image.width), UINT(image.height));
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&asked);
    if (FAILED(hr)) return "the writer refused the image (" + HexCode(hr) + ")";
    if (!IsEqualGUID(asked, layout->wic)) return "cannot hold " + ModeText(image);
    if (probeOnly) return "";

    std::vector<std::uint8_t> pixels = ToPixels(*layout, image);
    if (swap16 && layout->depth == 16)
        for (std::size_t i = 0; i + 1 < pixels.size(); i += 2)
            std::swap(pixels[i], pixels[i + 1]);
    const std::size_t stride = pixels.size() / std::size_t(image.height);
    hr = frame->WritePixels(UINT(image.height), UINT(stride), UINT(pixels.size()),
                            const_cast<BYTE*>(pixels.data()));
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    if (FAILED(hr)) return "write error (" + HexCode(hr) + ")";
    return "";
}

// Whether the writer of `format` stores 16-bit samples in the other byte order than the readers
// deliver them (Wine's PNG writer does): found out once per format by writing a one-pixel picture
// into memory and reading it back.
bool WriterSwaps16(IWICImagingFactory* factory, FileFormat format) {
    static int known[3] = {-1, -1, -1};
    int& swaps = known[int(format)];
    if (swaps >= 0) return swaps == 1;
    swaps = 0;
    Image probe;
    probe.width = probe.height = 1;
    probe.color = ColorModel::RGB;
    probe.depth = 16;
    probe.samples = {0x0102, 0x0304, 0x0506};
    Com<IStream> stream;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) ||
        !EncodeAs(factory, stream.get(), format, probe, false, false).empty())
        return false;
    const LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(factory->CreateDecoder(Container(format), nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        return false;
    try {
        const Image back = DecodeFrame(factory, decoder.get(), format, false, "a test picture");
        swaps = back.samples.size() >= 3 && back.samples[0] == 0x0201 && back.samples[2] == 0x0605;
    } catch (const ImageFileError&) {
    }
    return swaps == 1;
}

std::string Encode(IWICImagingFactory* factory, IStream* stream, FileFormat format, const Image& image,
                   bool probeOnly) {
    const bool swap16 = !probeOnly && image.depth == 16 && WriterSwaps16(factory, format);
    return EncodeAs(factory, stream, format, image, probeOnly, swap16);
}

void EncodeFile(FileFormat format, const std::string& path, const Image& image) {
    CheckWritable(path, image);
    std::string why;
    IWICImagingFactory* factory = Factory(&why);
    if (!factory) FailWrite(path, why);
    Com<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)))
        FailWrite(path, "cannot create the file");
    why = Encode(factory, stream.get(), format, image, false);
    if (!why.empty()) FailWrite(path, std::string(FormatName(format)) + " files written here " + why);
}

} // namespace

Image ReadPng(const std::string& path) {
    return Decode(FileFormat::PNG, path);
}
Image ReadTiff(const std::string& path) {
    return Decode(FileFormat::TIFF, path);
}
Image ReadJpeg(const std::string& path) {
    return Decode(FileFormat::JPEG, path);
}

// The system's PNG writer chooses its own compression.
void WritePng(const std::string& path, const Image& image, PngCompression) {
    EncodeFile(FileFormat::PNG, path, image);
}
void WriteTiff(const std::string& path, const Image& image) {
    EncodeFile(FileFormat::TIFF, path, image);
}
void WriteJpeg(const std::string& path, const Image& image) {
    EncodeFile(FileFormat::JPEG, path, image);
}

// The system's codecs take whole images: rows go through one in memory.
void ReadPngRows(const std::string& path, RowSink& sink) {
    SendRows(ReadPng(path), sink);
}
void WritePngRows(const std::string& path, const Image& description, RowSource& source, PngCompression compression) {
    WriteImage(path, FileFormat::PNG, GatherRows(description, source), compression);
}

Image ReadJpegMemory(const std::uint8_t* data, std::size_t size, const std::string& name) {
    std::string why;
    IWICImagingFactory* factory = Factory(&why);
    if (!factory) FailRead(name, why);
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size))) ||
        FAILED(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        FailRead(name, "not a valid JPEG file");
    return DecodeFrame(factory, decoder.get(), FileFormat::JPEG, false, name);
}

std::string WriterCannotHold(FileFormat format, const Image& image) {
    std::string why;
    IWICImagingFactory* factory = Factory(&why);
    if (!factory) return why;
    Com<IStream> scratch;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, scratch.out()))) return "out of memory";
    Image probe;
    probe.width = probe.height = 1;
    probe.color = image.color;
    probe.alpha = image.alpha;
    probe.depth = image.depth;
    why = Encode(factory, scratch.get(), format, probe, true);
    if (why.empty()) return "";
    // Name the formats that can take the image instead.
    std::string instead;
    for (FileFormat other : {FileFormat::PNG, FileFormat::TIFF}) {
        if (other == format || !GeneralCannotHold(other, image).empty()) continue;
        Com<IStream> again;
        if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, again.out())) &&
            Encode(factory, again.get(), other, probe, true).empty()) {
            instead = other == FileFormat::PNG ? ".png" : ".tif";
            break;
        }
    }
    return std::string(FormatName(format)) + " files written here " + why +
           (instead.empty() ? "" : "; use " + instead);
}

} // namespace rimelace_cli
