#include "app/argv_options.h"
#include "app/version.h"

namespace {

constexpr char kUsage[] =
    "usage: octaspin [FILE]\n"
    "       octaspin [--help | --version]\n"
    "\n"
    "Octaspin shows a software 3D renderer at work: a lit octahedron spins in a\n"
    "window, every pixel computed on the CPU. Given a FILE, it shows the model\n"
    "in it instead: OBJ, PLY or STL, centred, scaled, lit and spinning as the\n"
    "octahedron does. It needs a display; further arguments are ignored.\n"
    "\n"
    "  Render menu   Wireframe, Flat or Gouraud fill; Diffuse Color and Ambient\n"
    "                Color open a dialog of three fields (0 to 255); Model Colors\n"
    "                draws a model in its own colours or in the material's\n"
    "  File menu     Open... (Ctrl+O) opens a model file, as does a file dropped\n"
    "                on the window; Save Image... (Ctrl+S) writes the picture as\n"
    "                a PNG file; Reset turns the polyhedron (or the model) back\n"
    "                to its start; Exit quits\n"
    "  View menu     Fit (F) frames the model in the window\n"
    "  Help menu     About\n"
    "  arrow keys    turn the camera\n"
    "  A, Z          move the camera towards and away from the polyhedron\n"
    "  X, C          slide the camera left and right\n"
    "  mouse         drag the polyhedron with the left button to turn it; the\n"
    "                wheel moves the camera nearer or farther (faster with\n"
    "                Shift); the middle or right button pans it\n"
    "\n"
    "The same program runs without a display as octaspin-headless, installed\n"
    "beside this one: it writes the frames it renders as PNG pictures and takes\n"
    "its input from a script (see its manual page, octaspin-headless(1)).\n";

} // namespace

std::optional<std::string> commandLineAnswer(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help") {
            return std::string(kUsage);
        }
        if (argument == "--version") {
            return std::string("octaspin " OCTASPIN_VERSION "\n");
        }
    }
    return std::nullopt;
}

std::string modelArgument(const std::vector<std::string>& arguments) {
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (!options || argument.rfind("--", 0) != 0) {
            return argument;
        }
    }
    return {};
}
