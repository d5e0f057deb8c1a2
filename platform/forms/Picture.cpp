#include "platform/forms/Picture.h"

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

// Everything that must survive the longjmp lives outside the function that calls setjmp.
struct JpegJob {
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    jpeg_progress_mgr progress{};
    FILE* file = nullptr;
    QImage result;
    std::vector<uint8_t> row;
};

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
    jpeg_calc_output_dimensions(&cinfo);
    if (!FitsAllocationLimit(cinfo.output_width, cinfo.output_height)) {
        return false;
    }
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

bool LoadJpeg(const std::string& fileName, QImage& image) {
    JpegJob job;
    job.file = std::fopen(fileName.c_str(), "rb");
    if (job.file == nullptr) {
        return false;
    }
    const bool ok = DecodeJpeg(job);
    jpeg_destroy_decompress(&job.cinfo);
    std::fclose(job.file);
    if (ok) {
        image = std::move(job.result);
    }
    return ok;
}

bool LoadWithReader(const std::string& fileName, QImage& image) {
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(fileName)));
    const QSize size = reader.size();
    if (size.isValid() && !FitsAllocationLimit(size.width(), size.height())) {
        return false;
    }
    QImage result;
    if (!reader.read(&result) || result.isNull()) {
        return false;
    }
    image = std::move(result);
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
    QImage loaded;
    const bool ok = !fileName.empty() &&
                    (EndsInJpg(fileName) ? LoadJpeg(fileName, loaded) : LoadWithReader(fileName, loaded));
    image = ok ? std::move(loaded) : QImage();
    return ok;
}
