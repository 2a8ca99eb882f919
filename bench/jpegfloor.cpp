// jpegfloor: the least work a JPEG resize into a box can do, in one process. Each JPEG is decoded
// by libjpeg-turbo at the smallest DCT scale (M/8) whose output covers the box target, and the
// target's size of that output (its top left corner) is encoded with the settings a resize must
// use (4:2:0, the quality given, the embedded colour profile carried over), with no resampling:
// no tool that decodes and encodes with this library can be faster. Files are read and written
// 64 KB at a time. It is the floor of the box job in bench/peers.sh; its pictures are cut, not
// scaled, so their quality means nothing.
//
//   jpegfloor BOX_WIDTH BOX_HEIGHT QUALITY OUT_FOLDER FILE.jpg...

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr std::size_t ioBufferSize = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// The box rule of the engine: the side whose ratio to the box is larger fits exactly.
void boxTarget(double w, double h, double boxW, double boxH, double& tw, double& th) {
    if (w / boxW > h / boxH) {
        tw = boxW;
        th = std::trunc(h * boxW / w);
    } else {
        th = boxH;
        tw = std::trunc(w * (boxH / h));
    }
}

// glibc sizes a stream's buffer by itself unless it is given one.
std::vector<char> inputBuffer(ioBufferSize);
std::vector<char> outputBuffer(ioBufferSize);

bool resize(const char* in, const std::string& out, double boxW, double boxH, int quality) {
    std::FILE* input = std::fopen(in, "rb");
    if (input == nullptr)
        return false;
    std::FILE* output = std::fopen(out.c_str(), "wb");
    if (output == nullptr) {
        std::fclose(input);
        return false;
    }
    std::setvbuf(input, inputBuffer.data(), _IOFBF, ioBufferSize);
    std::setvbuf(output, outputBuffer.data(), _IOFBF, ioBufferSize);
    jpeg_decompress_struct d{};
    jpeg_compress_struct c{};
    ErrorManager errors{};
    d.err = c.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = errorExit;
    std::vector<JSAMPLE> row;
    bool ok = false;
    if (setjmp(errors.jump) == 0) {
        jpeg_create_decompress(&d);
        jpeg_create_compress(&c);
        jpeg_stdio_src(&d, input);
        jpeg_save_markers(&d, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&d, TRUE);
        double tw = 0;
        double th = 0;
        boxTarget(d.image_width, d.image_height, boxW, boxH, tw, th);
        unsigned scale = 8;
        for (unsigned m = 1; m < 8; ++m) {
            if (std::ceil(d.image_width * m / 8.0) >= tw &&
                std::ceil(d.image_height * m / 8.0) >= th) {
                scale = m;
                break;
            }
        }
        d.scale_num = scale;
        d.scale_denom = 8;
        jpeg_start_decompress(&d);
        jpeg_stdio_dest(&c, output);
        // The scaled output covers the target; the target's share of it is what gets encoded.
        c.image_width = std::min(d.output_width, static_cast<JDIMENSION>(tw));
        c.image_height = std::min(d.output_height, static_cast<JDIMENSION>(th));
        c.input_components = d.output_components;
        c.in_color_space = d.out_color_space;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, quality, TRUE);
        jpeg_start_compress(&c, TRUE);
        JOCTET* icc = nullptr;
        unsigned iccLength = 0;
        if (jpeg_read_icc_profile(&d, &icc, &iccLength)) {
            jpeg_write_icc_profile(&c, icc, iccLength);
            std::free(icc);
        }
        row.resize(static_cast<std::size_t>(d.output_width) *
                   static_cast<std::size_t>(d.output_components));
        JSAMPROW rows[1] = {row.data()};
        while (d.output_scanline < d.output_height) {
            jpeg_read_scanlines(&d, rows, 1);
            if (c.next_scanline < c.image_height)
                jpeg_write_scanlines(&c, rows, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_finish_decompress(&d);
        ok = true;
    }
    jpeg_destroy_compress(&c);
    jpeg_destroy_decompress(&d);
    std::fclose(input);
    std::fclose(output);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: jpegfloor BOX_WIDTH BOX_HEIGHT QUALITY OUT_FOLDER FILE...\n");
        return 2;
    }
    const double boxW = std::atof(argv[1]);
    const double boxH = std::atof(argv[2]);
    const int quality = std::atoi(argv[3]);
    const std::string folder = argv[4];
    int failed = 0;
    for (int i = 5; i < argc; ++i) {
        const std::string path = argv[i];
        const std::string name = path.substr(path.rfind('/') + 1);
        if (!resize(argv[i], folder + "/" + name, boxW, boxH, quality)) {
            std::fprintf(stderr, "jpegfloor: %s failed\n", argv[i]);
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
