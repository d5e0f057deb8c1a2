#include "platform/forms/Picture.h"

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <QFile>
#include <QImageReader>

#include <jpeglib.h>

namespace {

// The decoder refuses pictures that would need more memory than Qt's own readers allow, so a
// header that claims an enormous size cannot exhaust memory.
bool FitsAllocationLimit(qint64 width, qint64 height) {
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    return width > 0 && height > 0 && (limitBytes <= 0 || width * height * 4 <= limitBytes);
}

// libjpeg reports a fatal error by calling error_exit, which must not return: jump back to the
// decoder, which gives up on the picture.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

// Progressive files of thousands of scans make a tiny file decode for minutes; no real picture
// has more than a few dozen.
constexpr int kMaxScans = 500;

void JpegProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->progressive_mode && d->input_scan_number > kMaxScans) {
        JpegErrorExit(cinfo);
    }
}

// The size to keep a picture at: what the fit asks, within the picture and at least a pixel.
QSize KeptSize(const PictureFit& fit, const QSize& own) {
    if (!fit)
        return own;
    const QSize asked = fit(own);
    return QSize(std::clamp(asked.width(), 1, own.width()), std::clamp(asked.height(), 1, own.height()));
}

QImage ScaledTo(QImage image, const QSize& size) {
    if (image.isNull() || image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Everything that must survive the longjmp lives outside the function that calls setjmp.
struct JpegJob {
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    jpeg_progress_mgr progress{};
    FILE* file = nullptr;
    const PictureFit* fit = nullptr;
    QSize own;
    QSize kept;
    QImage result;
    std::vector<uint8_t> row;
};

// The largest reduction the decoder offers that still covers the kept size.
unsigned JpegScaleDenominator(const QSize& own, const QSize& kept) {
    for (unsigned denominator : {8u, 4u, 2u}) {
        const auto reduced = [denominator](int length) {
            return (static_cast<unsigned>(length) + denominator - 1) / denominator;
        };
        if (reduced(own.width()) >= static_cast<unsigned>(kept.width()) &&
            reduced(own.height()) >= static_cast<unsigned>(kept.height()))
            return denominator;
    }
    return 1;
}

bool DecodeJpeg(JpegJob& job) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = jpeg_std_error(&job.err.mgr);
    job.err.mgr.error_exit = JpegErrorExit;
    job.err.mgr.emit_message = JpegQuiet;
    if (setjmp(job.err.jump)) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    job.progress.progress_monitor = JpegProgress;
    cinfo.progress = &job.progress;
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);

    // CMYK pictures (as saved by print software, with inverted values) are converted here; libjpeg
    // turns everything else into RGB itself.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (!FitsAllocationLimit(cinfo.image_width, cinfo.image_height)) {
        return false;
    }
    job.own = QSize(int(cinfo.image_width), int(cinfo.image_height));
    job.kept = KeptSize(*job.fit, job.own);
    cinfo.scale_num = 1;
    cinfo.scale_denom = JpegScaleDenominator(job.own, job.kept);
    jpeg_calc_output_dimensions(&cinfo);
    jpeg_start_decompress(&cinfo);
    job.result = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    if (job.result.isNull()) {
        return false;
    }
    const int components = cinfo.output_components;
    job.row.resize(size_t(cinfo.output_width) * size_t(components));
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        JSAMPROW rows[1] = {job.row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) {
            return false;
        }
        uint8_t* out = job.result.scanLine(y);
        const uint8_t* in = job.row.data();
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x, out += 3, in += components) {
            if (cmyk) {
                const int k = in[3];
                out[0] = uint8_t(in[0] * k / 255);
                out[1] = uint8_t(in[1] * k / 255);
                out[2] = uint8_t(in[2] * k / 255);
            } else {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

bool LoadJpeg(const std::string& fileName, const PictureFit& fit, QImage& image, QSize& own) {
    JpegJob job;
    job.fit = &fit;
    job.file = std::fopen(fileName.c_str(), "rb");
    if (job.file == nullptr) {
        return false;
    }
    const bool ok = DecodeJpeg(job);
    jpeg_destroy_decompress(&job.cinfo);
    std::fclose(job.file);
    if (ok) {
        image = ScaledTo(std::move(job.result), job.kept);
        own = job.own;
    }
    return ok;
}

bool LoadWithReader(const std::string& fileName, const PictureFit& fit, QImage& image, QSize& own) {
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(fileName)));
    const QSize size = reader.size();
    if (size.isValid() && !FitsAllocationLimit(size.width(), size.height())) {
        return false;
    }
    // Readers that can decode smaller (JPEG) do so; the others scale after decoding.
    if (size.isValid() && KeptSize(fit, size) != size) {
        reader.setScaledSize(KeptSize(fit, size));
    }
    QImage result;
    if (!reader.read(&result) || result.isNull()) {
        return false;
    }
    own = size.isValid() ? size : result.size();
    image = ScaledTo(std::move(result), KeptSize(fit, own));
    return true;
}

bool EndsInJpg(const std::string& name) {
    if (name.size() < 3) {
        return false;
    }
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    return tail == "JPG";
}

} // namespace

bool LoadPictureFile(const std::string& fileName, QImage& image) {
    QSize own;
    return LoadPictureFile(fileName, image, PictureFit(), own);
}

bool LoadPictureFile(const std::string& fileName, QImage& image, const PictureFit& fit, QSize& ownSize) {
    QImage loaded;
    QSize own;
    const bool ok = !fileName.empty() && (EndsInJpg(fileName) ? LoadJpeg(fileName, fit, loaded, own)
                                                              : LoadWithReader(fileName, fit, loaded, own));
    image = ok ? std::move(loaded) : QImage();
    if (ok)
        ownSize = own;
    return ok;
}
