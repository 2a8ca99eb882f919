// jpegfloor: the least work a JPEG resize into a box can do, in one process. Each JPEG is decoded
// by libjpeg-turbo at the smallest DCT scale (M/8) whose output covers the box target, and that
// output is encoded as it is, with no resampling: no tool that decodes and encodes with this
// library can be faster. It is the floor of the box job in bench/peers.sh.
//
//   jpegfloor BOX_WIDTH BOX_HEIGHT QUALITY OUT_FOLDER FILE.jpg...

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

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

bool resize(const char* in, const std::string& out, double boxW, double boxH, int quality) {
    std::FILE* input = std::fopen(in, "rb");
    if (input == nullptr)
        return false;
    std::FILE* output = std::fopen(out.c_str(), "wb");
    if (output == nullptr) {
        std::fclose(input);
        return false;
    }
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
        c.image_width = d.output_width;
        c.image_height = d.output_height;
        c.input_components = d.output_components;
        c.in_color_space = d.out_color_space;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, quality, TRUE);
        jpeg_start_compress(&c, TRUE);
        row.resize(static_cast<std::size_t>(d.output_width) *
                   static_cast<std::size_t>(d.output_components));
        JSAMPROW rows[1] = {row.data()};
        while (d.output_scanline < d.output_height) {
            jpeg_read_scanlines(&d, rows, 1);
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
