// Writes what bench/whole_path.sh runs the host on: a generated drawing of N objects and a
// script of edits to it, erasing 1% of the objects and changing the colour of another 1%.
//   build/whole_path_drawing N DRAWING EDITS
// The edits spread over every kind of object (the generator cycles through ten kinds).
#include <cstdio>
#include <fstream>
#include <string>

#include "dxf_drawing_generator.h"

namespace {

using qx::bench::DxfDrawingGenerator;

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

// One object in a hundred is erased and another recoloured; a shift by the hundred's number
// makes the chosen objects go through every kind.
std::size_t erasedIndex(std::size_t hundred) { return hundred * 100 + hundred % 10; }
std::size_t changedIndex(std::size_t hundred) { return hundred * 100 + (hundred + 5) % 10; }

void writeEdits(std::ostream& out, std::size_t objects)
{
    const std::size_t hundreds = objects / 100;
    constexpr std::size_t kHandlesPerLine = 50;
    for (std::size_t h = 0; h < hundreds; h += kHandlesPerLine) {
        out << "ERASE";
        for (std::size_t k = h; k < hundreds && k < h + kHandlesPerLine; ++k)
            out << ' ' << hex(DxfDrawingGenerator::entityHandle(erasedIndex(k)));
        out << '\n';
    }
    for (std::size_t k = 0; k < hundreds; ++k)
        out << "SETPROP " << hex(DxfDrawingGenerator::entityHandle(changedIndex(k))) << " color 1\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OBJECTS DRAWING EDITS\n", argv[0]);
        return 2;
    }
    const std::size_t objects = std::stoul(argv[1]);
    const std::string text = DxfDrawingGenerator(42).drawing(objects);
    std::ofstream drawing(argv[2], std::ios::binary);
    drawing.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::ofstream edits(argv[3]);
    writeEdits(edits, objects);
    if (!drawing || !edits) {
        std::fprintf(stderr, "%s: cannot write %s or %s\n", argv[0], argv[2], argv[3]);
        return 1;
    }
    return 0;
}
