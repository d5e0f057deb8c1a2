// links: lapwren_forms
// Any bytes, loaded as a picture under a JPG name (libjpeg) and under a BMP name (Qt's reader,
// which also recognises other formats by their content), give a picture or a refusal, never a
// crash, a hang or an unbounded allocation.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QGuiApplication>
#include <QImage>
#include <unistd.h>

#include "platform/forms/Picture.h"

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "fuzz_load_picture";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

void Load(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
    QImage image;
    if (LoadPictureFile(path, image)) {
        // Touch the result so that a wrongly sized image shows up under the sanitizers.
        volatile QRgb corner = image.pixel(image.width() - 1, image.height() - 1);
        (void)corner;
    }
    std::remove(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnsureApplication();
    const std::string base = "/tmp/lapwren-fuzz-picture-" + std::to_string(::getpid());
    Load(base + ".jpg", data, size);
    Load(base + ".bmp", data, size);
    return 0;
}
