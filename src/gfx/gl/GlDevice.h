// The OpenGL 3.3 core driver of the device front end. Frames are drawn into an off-screen framebuffer
// with Direct3D's conventions (top row first, depth 0..1, pixel centres on integers) and copied, flipped,
// to the window at present. The GL context comes from platform::GlContext.
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <string>

#include "gfx/DeviceFrontEnd.h"
#include "gfx/gl/GlDriver.h"
#include "gfx/gl/GlResources.h"
#include "gfx/gl/GlShaderProgram.h"

namespace platform {
class GlContext;
}

namespace gfx {

class GlDevice : public DeviceFrontEnd {
public:
    GlDevice(std::unique_ptr<platform::GlContext> context, const PresentParameters& params);
    ~GlDevice() override;

    // Builds the framebuffer, shader and vertex state. False with a reason.
    bool Start(std::string* error);

    // The frame as present shows it in a window of width x height (scaled, centred, black bars), top row
    // first. False when no target of that size can be made.
    bool ReadPresentedFrame(int width, int height, Image* out);
    uint64_t GetAvailableTextureMem() const override;
    std::string GetVertexShaderProfile() const override;
    std::string GetPixelShaderProfile() const override;

    // What a draw's vertices say about its colour: every alpha byte 0xFF; every colour opaque white.
    struct VertexColours {
        bool opaque = false, white = false;
    };

private:
    // ---- GlDevice.cpp: frame buffer, scenes, present, clear, render targets
    Result DriverReset(const PresentParameters& previous) override;
    void DriverPresent() override;
    void DriverClear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    Result DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                               Format format, Pool pool, std::shared_ptr<Texture>* out) override;
    Result DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                    std::shared_ptr<VertexBuffer>* out) override;
    bool DriverHasFormat(Format format) const override;
    uint32_t DriverMaxTextureSize() const override;
    Result DriverRenderTargetChanged() override;
    Result DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) override;
    bool DriverReadRenderTarget(Image* out) override;
    bool MakeFrameBuffer(std::string* error);
    void DeleteFrameBuffer();
    GLuint FramebufferOf(const Surface* surface);
    void BindRenderTarget();
    // Draws the frame into the draw framebuffer target (0: the window) of width x height as present shows it.
    void DrawPresentedFrame(GLuint target, int width, int height);

    // ---- GlStates.cpp: the front end's states as OpenGL states and a shader program
    // The OpenGL states as last sent by ApplyStates; not valid once anything else may have changed them.
    struct AppliedStates {
        bool valid = false;
        Viewport viewport;
        bool depthTest = false, depthWrite = false, blend = false;
        uint32_t depthFunc = 0, blendFactors = 0, cullMode = 0, fillMode = 0, colourWrite = 0;
        GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
    };
    bool ApplyStates(VertexColours colours);
    void InvalidateAppliedStates();
    Result DriverBeginScene() override;

    // ---- GlDraw.cpp
    void DriverDraw(const DrawCall& draw) override;

    std::unique_ptr<platform::GlContext> m_context;
    GlToken m_token;
    GLuint m_fbo = 0, m_colourBuffer = 0, m_depthBuffer = 0;
    GLenum m_depthAttachment = GL_DEPTH_ATTACHMENT;
    GLuint m_vao = 0, m_streamBuffer = 0, m_sampler = 0;
    GLint m_maxTextureSize = 0;
    ShaderCache m_shaders;
    const ShaderProgram* m_program = nullptr;  // the program in use
    AppliedStates m_applied;
};

}  // namespace gfx
