// light-view [OUTPUT_FOLDER]: draws the program's frame from the start position in a window of
// its own and saves three pictures in OUTPUT_FOLDER (default: the working folder): the frame, the
// light's depth map, and the frame with the pixels in shadow tinted. Runs from build/, like the
// program, so that the shaders are found.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <string>

#include "LightView.h"
#include "Window.h"

namespace {

const char* const FRAGMENT_SOURCE = "../src/ShadowMapping/resource/cg/fp_ShadowMapping.cg";
// Three seconds at the program's pace: every particle of the fountain has been on its way.
const int SETTLING_FRAMES = 60;

bool save(const Picture& picture, const std::string& path) {
    if (!savePng(picture, path)) {
        std::fprintf(stderr, "light-view: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: light-view [OUTPUT_FOLDER]\n");
        return 2;
    }
    const std::string folder = argc == 2 ? argv[1] : ".";
    float bias = 0.0f;
    if (!readShaderDepthBias(FRAGMENT_SOURCE, &bias)) {
        std::fprintf(stderr, "light-view: no DEPTH_BIAS in %s\n", FRAGMENT_SOURCE);
        return 1;
    }

    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Light View");
    initGL();
    reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));

    const FrameCapture frame = drawAndReadFrame(SETTLING_FRAMES);
    const std::vector<float> depths = readShadowMap();
    const bool saved = save(frame.colour, folder + "/lightview-frame.png") &&
                       save(depthPicture(depths), folder + "/lightview-depth.png") &&
                       save(tintShadowed(frame, depths, bias), folder + "/lightview-shadowed.png");
    return saved ? 0 : 1;
}
