// The program's window state for GL tests: render state, shaders, shadow map and particles set
// up as at start-up, and the viewer's projection for the 800x600 window.
#pragma once

#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Window.h"

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initGL();
        reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    }
};

// Collects what the code under test prints on standard output until text() is called.
class StdoutCapture {
  public:
    StdoutCapture() : path_("/tmp/shadow-gl-stdout-" + std::to_string(getpid())) {
        std::fflush(stdout);
        saved_ = dup(fileno(stdout));
        std::FILE* file = std::fopen(path_.c_str(), "w");
        dup2(fileno(file), fileno(stdout));
        std::fclose(file);
    }
    ~StdoutCapture() {
        restore();
        std::remove(path_.c_str());
    }
    std::string text() {
        restore();
        std::string contents;
        if (std::FILE* file = std::fopen(path_.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
                contents.append(buffer, n);
            }
            std::fclose(file);
        }
        return contents;
    }

  private:
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, fileno(stdout));
            close(saved_);
            saved_ = -1;
        }
    }
    std::string path_;
    int saved_ = -1;
};
