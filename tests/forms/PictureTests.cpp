// Loading the background, title and row pictures: JPEG through libjpeg, the rest through Qt.
#include "platform/forms/Picture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lapwren-pictures-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static std::vector<uint8_t> ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // A JPEG written with libjpeg's own compressor: the left half of every row one colour, the
    // right half another, in blocks of 8 pixels so that compression keeps the colours close.
    static void WriteJpeg(const std::string& path, int width, int height, const uint8_t left[],
                          const uint8_t right[], int components = 3, J_COLOR_SPACE space = JCS_RGB) {
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        jpeg_stdio_dest(&cinfo, file);
        cinfo.image_width = JDIMENSION(width);
        cinfo.image_height = JDIMENSION(height);
        cinfo.input_components = components;
        cinfo.in_color_space = space;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 95, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        std::vector<uint8_t> row(size_t(width) * size_t(components));
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = x < width / 2 ? left : right;
            for (int i = 0; i < components; ++i) {
                row[size_t(x * components + i)] = c[i];
            }
        }
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
    }

    static void ExpectNear(QRgb actual, int r, int g, int b) {
        EXPECT_NEAR(qRed(actual), r, 6);
        EXPECT_NEAR(qGreen(actual), g, 6);
        EXPECT_NEAR(qBlue(actual), b, 6);
    }

    fs::path dir_;
};

const uint8_t kRed[] = {255, 0, 0};
const uint8_t kBlue[] = {0, 0, 255};

TEST_F(PictureFiles, DecodesAJpegWithItsSizeAndColours) {
    WriteJpeg(Path("title.jpg"), 16, 8, kRed, kBlue);
    QImage image;
    ASSERT_TRUE(LoadPictureFile(Path("title.jpg"), image));
    EXPECT_EQ(image.width(), 16);
    EXPECT_EQ(image.height(), 8);
    ExpectNear(image.pixel(2, 4), 255, 0, 0);
    ExpectNear(image.pixel(13, 4), 0, 0, 255);
}

TEST_F(PictureFiles, TakesEveryNameEndingInJpgInAnyCaseAsAJpeg) {
    WriteJpeg(Path("a.jpg"), 8, 8, kRed, kRed);
    QImage bmp(4, 4, QImage::Format_RGB32);
    bmp.fill(Qt::green);
    ASSERT_TRUE(bmp.save(QString::fromStdString(Path("a.bmp")), "BMP"));
    for (const char* name : {"b.JPG", "b.Jpg", "bjpg"}) {
        fs::copy_file(Path("a.jpg"), Path(name));
        QImage image;
        EXPECT_TRUE(LoadPictureFile(Path(name), image)) << name;
    }
    // A BMP under a JPG name goes to the JPEG decoder, which refuses it, while Qt's reader
    // would have recognised it.
    fs::copy_file(Path("a.bmp"), Path("bmp-in-disguise.JPG"));
    QImage image;
    EXPECT_FALSE(LoadPictureFile(Path("bmp-in-disguise.JPG"), image));
}

TEST_F(PictureFiles, LoadsAJpegNamedJpegThroughTheGeneralReader) {
    WriteJpeg(Path("row.jpg"), 8, 8, kBlue, kBlue);
    fs::copy_file(Path("row.jpg"), Path("row.jpeg"));
    QImage image;
    ASSERT_TRUE(LoadPictureFile(Path("row.jpeg"), image));
    ExpectNear(image.pixel(4, 4), 0, 0, 255);
}

TEST_F(PictureFiles, LoadsABmpPixelForPixel) {
    QImage written(3, 2, QImage::Format_RGB32);
    written.fill(QColor(10, 20, 30));
    written.setPixel(2, 1, qRgb(200, 100, 50));
    ASSERT_TRUE(written.save(QString::fromStdString(Path("back.bmp")), "BMP"));
    QImage image;
    ASSERT_TRUE(LoadPictureFile(Path("back.bmp"), image));
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, qRgb(10, 20, 30) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(2, 1) & 0xFFFFFF, qRgb(200, 100, 50) & 0xFFFFFF);
}

TEST_F(PictureFiles, ConvertsAnInvertedCmykJpegToItsColours) {
    // Print software stores CMYK inverted: 255 is no ink. Cyan-free, magenta- and yellow-free at
    // full key reads as (255, 0, 0) on screen when the other two channels are 0.
    const uint8_t red[] = {255, 0, 0, 255};
    const uint8_t white[] = {255, 255, 255, 255};
    WriteJpeg(Path("cmyk.jpg"), 16, 8, red, white, 4, JCS_CMYK);
    QImage image;
    ASSERT_TRUE(LoadPictureFile(Path("cmyk.jpg"), image));
    ExpectNear(image.pixel(2, 4), 255, 0, 0);
    ExpectNear(image.pixel(13, 4), 255, 255, 255);
}

TEST_F(PictureFiles, RefusesBrokenAndMissingFilesAndLeavesTheImageEmpty) {
    WriteJpeg(Path("good.jpg"), 16, 16, kRed, kBlue);
    const std::vector<uint8_t> good = ReadBytes(Path("good.jpg"));

    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 20);
    WriteBytes(Path("cut.jpg"), headerOnly);
    std::vector<uint8_t> garbage(good.size());
    for (size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = uint8_t(i * 37 + 11);
    }
    WriteBytes(Path("garbage.jpg"), garbage);
    WriteBytes(Path("empty.jpg"), {});
    WriteBytes(Path("empty.bmp"), {});
    WriteBytes(Path("garbage.bmp"), garbage);

    for (const char* name : {"cut.jpg", "garbage.jpg", "empty.jpg", "empty.bmp", "garbage.bmp", "missing.jpg",
                             "missing.bmp", ""}) {
        QImage image(2, 2, QImage::Format_RGB32); // a picture from before must not survive
        EXPECT_FALSE(LoadPictureFile(name[0] ? Path(name) : std::string(), image)) << name;
        EXPECT_TRUE(image.isNull()) << name;
    }
}

TEST_F(PictureFiles, RefusesAJpegThatClaimsAnEnormousSizeWithoutDecodingIt) {
    WriteJpeg(Path("small.jpg"), 16, 16, kRed, kBlue);
    std::vector<uint8_t> bytes = ReadBytes(Path("small.jpg"));
    // The frame header (FFC0 or FFC2): length(2), precision(1), height(2), width(2).
    bool patched = false;
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            // 12000 by 12000: a QImage could hold it, but not within the readers' memory limit.
            bytes[i + 5] = 0x2E;
            bytes[i + 6] = 0xE0;
            bytes[i + 7] = 0x2E;
            bytes[i + 8] = 0xE0;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    WriteBytes(Path("huge.jpg"), bytes);
    QImage image;
    EXPECT_FALSE(LoadPictureFile(Path("huge.jpg"), image));
}

TEST_F(PictureFiles, AcceptsATruncatedJpegBodyAsFarAsItGoes) {
    // A body cut short still gives a picture of the full size (libjpeg fills in the rest), as a
    // picture viewer shows it; only a file without a whole header is refused.
    WriteJpeg(Path("full.jpg"), 64, 64, kRed, kBlue);
    std::vector<uint8_t> bytes = ReadBytes(Path("full.jpg"));
    bytes.resize(bytes.size() - 40);
    WriteBytes(Path("short.jpg"), bytes);
    QImage image;
    ASSERT_TRUE(LoadPictureFile(Path("short.jpg"), image));
    EXPECT_EQ(image.size(), QSize(64, 64));
}

} // namespace
