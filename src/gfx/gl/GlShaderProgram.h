// The fixed-function states in shader form: one small program per combination of states in use, built
// when the combination first draws. Each program runs only the work its states ask for, which is what pays
// on a processor-only OpenGL (every fragment runs the compiled shader).
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace gfx {

// The states a program is specialised for (values as the device stores them).
struct ShaderKey {
    bool pretransformed = false;  // 0x144 screen vertices; else world vertices through the matrices
    bool lighting = false;        // world vertices lit (no lights: the material's emissive colour)
    bool flat = false;            // flat shading: the first vertex's colour
    bool texture = false;         // stage 0 reads a bound texture
    uint32_t colourOp = 0, colourArg1 = 0, colourArg2 = 0;  // stage 0 (when texture)
    uint32_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    uint32_t alphaFunc = 0;  // the alpha test's comparison; 0: no alpha test
    uint64_t Packed() const;
};

// The uniform values a program holds, as last sent; valid false before the first draw.
struct ProgramUniforms {
    bool valid = false;
    GLint alphaRef = 0;
    std::array<float, 3> emissive{};
    std::array<float, 4> viewport{};
    std::array<float, 16> worldViewProjection{};
};

// A linked program, where its uniforms are and what they hold.
struct ShaderProgram {
    GLuint program = 0;
    GLint worldViewProjection = -1, viewport = -1, emissive = -1, alphaRef = -1;
    mutable ProgramUniforms uniforms;
};

class ShaderCache {
public:
    // Deletes the programs; only while the context is current.
    void Release();
    // The program for the key, built on first use; null (with the reason in error) when it does not build.
    const ShaderProgram* Get(const ShaderKey& key, std::string* error);
    // Checks that the most general program builds (at device start).
    bool Check(std::string* error);

private:
    std::map<uint64_t, ShaderProgram> m_programs;
};

}  // namespace gfx
