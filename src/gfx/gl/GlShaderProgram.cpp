// Shader sources of the fixed-function states and their specialisation by #define.
#include "gfx/gl/GlShaderProgram.h"

#include "gfx/Device.h"

namespace gfx {

namespace {

const char* kVertexShader = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
uniform mat4 uWorldViewProjection;
uniform vec4 uViewport;  // x, y, width, height
uniform vec3 uEmissive;  // the material's emissive colour
out vec4 vColour;
flat out vec4 vFlatColour;
out vec2 vUv;
// Every program computes a vertex's position alike, so that a depth-only pass and a textured pass of the
// same triangles meet at equal depths.
invariant gl_Position;
void main() {
#if PRETRANSFORMED
    // Pixel coordinates with pixel centres on integers; rhw gives perspective-correct interpolation.
    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
    vec3 ndc = vec3(2.0 * (aPosition.x + 0.5 - uViewport.x) / uViewport.z - 1.0,
                    1.0 - 2.0 * (aPosition.y + 0.5 - uViewport.y) / uViewport.w, aPosition.z);
    gl_Position = vec4(ndc * w, w);
    vec4 colour = aColour;  // pre-transformed vertices are never lit
#else
    gl_Position = uWorldViewProjection * vec4(aPosition.xyz, 1.0);
    // Direct3D 9 puts pixel centres on integer window coordinates, OpenGL half a pixel further on. Moving
    // every vertex half a pixel right and down (in clip space, w / size is half a pixel; y grows downward
    // under the upper-left clip origin, so it is subtracted) makes OpenGL cover and sample exactly the
    // pixels Direct3D would.
    gl_Position.x += gl_Position.w / uViewport.z;
    gl_Position.y -= gl_Position.w / uViewport.w;
#if LIGHTING
    // Lighting with no lights leaves the emissive material colour and the vertex alpha.
    vec4 colour = vec4(uEmissive, aColour.a);
#else
    vec4 colour = aColour;
#endif
#endif
    vColour = colour;
    vFlatColour = colour;
    vUv = aUv;
}
)";

const char* kFragmentShader = R"(
in vec4 vColour;
flat in vec4 vFlatColour;  // the first vertex's colour of the triangle
in vec2 vUv;
uniform sampler2D uTexture;
uniform int uAlphaRef;  // 0..255
out vec4 fragColour;
// Stage arguments: diffuse and current (at stage 0 the diffuse colour too) read d, texture reads t.
#define ARG(a) ((a) == 2 ? t : d)
// Stage operations: 1 disable (diffuse passes), 2 select argument 1, 3 select argument 2, 4 modulate.
#define COMBINE(op, a1, a2) ((op) == 2 ? ARG(a1) : (op) == 3 ? ARG(a2) : (op) == 4 ? ARG(a1) * ARG(a2) : d)
void main() {
#if FLAT
    vec4 d = vFlatColour;
#else
    vec4 d = vColour;
#endif
#if TEXTURE
    vec4 t = texture(uTexture, vUv);
    vec4 c = vec4(COMBINE(COLOUR_OP, COLOUR_ARG1, COLOUR_ARG2).rgb, COMBINE(ALPHA_OP, ALPHA_ARG1, ALPHA_ARG2).a);
#else
    // A stage that reads a texture with none bound passes the diffuse colour through.
    vec4 c = d;
#endif
#if ALPHA_FUNC
    int a = int(c.a * 255.0 + 0.5);
#if ALPHA_FUNC == 1
    bool pass = false;
#elif ALPHA_FUNC == 2
    bool pass = a < uAlphaRef;
#elif ALPHA_FUNC == 3
    bool pass = a == uAlphaRef;
#elif ALPHA_FUNC == 4
    bool pass = a <= uAlphaRef;
#elif ALPHA_FUNC == 5
    bool pass = a > uAlphaRef;
#elif ALPHA_FUNC == 6
    bool pass = a != uAlphaRef;
#elif ALPHA_FUNC == 7
    bool pass = a >= uAlphaRef;
#else
    bool pass = true;
#endif
    if (!pass) discard;
#endif
    fragColour = c;
}
)";

std::string Defines(const ShaderKey& k) {
    auto line = [](const char* name, uint32_t value) {
        return std::string("#define ") + name + " " + std::to_string(value) + "\n";
    };
    return "#version 330 core\n" + line("PRETRANSFORMED", k.pretransformed) + line("LIGHTING", k.lighting) +
           line("FLAT", k.flat) + line("TEXTURE", k.texture) + line("COLOUR_OP", k.colourOp) +
           line("COLOUR_ARG1", k.colourArg1) + line("COLOUR_ARG2", k.colourArg2) +
           line("ALPHA_OP", k.alphaOp) + line("ALPHA_ARG1", k.alphaArg1) + line("ALPHA_ARG2", k.alphaArg2) +
           line("ALPHA_FUNC", k.alphaFunc);
}

GLuint Compile(GLenum kind, const std::string& defines, const char* body, std::string* error) {
    GLuint s = glCreateShader(kind);
    const char* parts[] = {defines.c_str(), body};
    glShaderSource(s, 2, parts, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        *error = log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

bool Build(const ShaderKey& key, ShaderProgram* out, std::string* error) {
    const std::string defines = Defines(key);
    GLuint vs = Compile(GL_VERTEX_SHADER, defines, kVertexShader, error);
    GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, defines, kFragmentShader, error) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        *error = "the fixed-function shader does not link";
        glDeleteProgram(program);
        return false;
    }
    out->program = program;
    out->worldViewProjection = glGetUniformLocation(program, "uWorldViewProjection");
    out->viewport = glGetUniformLocation(program, "uViewport");
    out->emissive = glGetUniformLocation(program, "uEmissive");
    out->alphaRef = glGetUniformLocation(program, "uAlphaRef");
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "uTexture"), 0);
    return true;
}

}  // namespace

uint64_t ShaderKey::Packed() const {
    uint64_t v =
        uint64_t(pretransformed) | uint64_t(lighting) << 1 | uint64_t(flat) << 2 | uint64_t(texture) << 3;
    const uint32_t fields[] = {colourOp, colourArg1, colourArg2, alphaOp, alphaArg1, alphaArg2, alphaFunc};
    int shift = 4;
    for (uint32_t f : fields) {
        v |= uint64_t(f & 0xFF) << shift;
        shift += 8;
    }
    return v;
}

void ShaderCache::Release() {
    for (auto& entry : m_programs) glDeleteProgram(entry.second.program);
    m_programs.clear();
}

const ShaderProgram* ShaderCache::Get(const ShaderKey& key, std::string* error) {
    const uint64_t packed = key.Packed();
    auto it = m_programs.find(packed);
    if (it != m_programs.end()) return &it->second;
    ShaderProgram program;
    if (!Build(key, &program, error)) return nullptr;
    return &m_programs.emplace(packed, program).first->second;
}

bool ShaderCache::Check(std::string* error) {
    ShaderKey general;
    general.texture = true;
    general.colourOp = general.alphaOp = top::Modulate;
    general.colourArg1 = general.alphaArg1 = targ::Texture;
    general.alphaFunc = cmp::Greater;
    return Get(general, error) != nullptr;
}

}  // namespace gfx
