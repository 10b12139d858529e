// The render-target floor build: the device draws each floor square the way the world's processor build
// computes it.
#include "testing/FloorReference.h"

#include "gfx/DXG.h"
#include "runtime/LogFile.h"
#include "world/FloorTextures.h"

using namespace floorsquare;

bool BuildFloorTexturesByRenderTarget(const SpkArchive& images, std::vector<DXG::Texture>& textures) {
    DXG::ScopedLock lock;
    textures.clear();
    gfx::Device* device = DXG::GetDevice();
    if (!device) return false;
    std::shared_ptr<gfx::Texture> target, raw, recovery;
    const auto create = [device](std::uint32_t usage, gfx::Pool pool, std::shared_ptr<gfx::Texture>* out) {
        return gfx::Succeeded(device->CreateTexture(kSide, kSide, 1, usage, gfx::fmt::X8R8G8B8, pool, out));
    };
    if (!create(gfx::kUsageRenderTarget, gfx::Pool::Default, &target)) {
        errorLog.Write("bad, no render target texture made.\n");
        return false;
    }
    if (!create(gfx::kUsageDynamic, gfx::Pool::Default, &raw) ||
        !create(gfx::kUsageDynamic, gfx::Pool::SystemMem, &recovery)) {
        errorLog.Write("bad, no raw texture made.\n");
        return false;
    }
    const std::shared_ptr<gfx::Surface> targetSurface = target->GetSurfaceLevel(0);
    const std::shared_ptr<gfx::Surface> recoverySurface = recovery->GetSurfaceLevel(0);

    // Outside a frame this begins the build's own scene; inside one the scene is the frame's and stays open.
    const bool ownScene = gfx::Succeeded(device->BeginScene());
    const std::shared_ptr<gfx::Surface> savedTarget = device->GetRenderTarget();
    device->SetRenderTarget(targetSurface);
    device->SetRenderState(gfx::RenderState::ZEnable, 0);

    gfx::ScreenVertex quad[4];
    for (int i = 0; i < 4; ++i)
        quad[i] = {kQuad[i].x, kQuad[i].y, 0.0f, 1.0f, 0xFFFFFFFF, kQuad[i].u, kQuad[i].v};
    const FloorPaletteEntries& palette = FloorPalette();
    StartList(textures, images.shapeCount());
    int made = 0;
    for (; made < images.shapeCount(); ++made) {
        device->SetTexture(0, nullptr);
        gfx::LockedRect rawLock;
        if (!gfx::Succeeded(raw->LockRect(0, &rawLock, gfx::kLockDiscard))) {
            errorLog.Write("failed to lock raw texture.\n");
            break;
        }
        FillRaw(images.shape(made), palette, static_cast<std::uint32_t*>(rawLock.bits),
                std::size_t(rawLock.pitch) / 4);
        raw->UnlockRect(0);
        device->SetTexture(0, raw);
        device->SetFVF(gfx::kFvfScreen);
        device->SetNoShaders();
        device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleFan, 2, quad, sizeof(gfx::ScreenVertex));
        device->GetRenderTargetData(targetSurface.get(), recoverySurface.get());

        gfx::LockedRect recoveryLock;
        if (!gfx::Succeeded(recovery->LockRect(0, &recoveryLock, gfx::kLockReadOnly))) {
            errorLog.Write("Failed to lock recovery texture.\n");
            break;
        }
        const bool stored =
            StoreFinalTexture(textures[std::size_t(made)],
                              static_cast<const std::uint8_t*>(recoveryLock.bits), recoveryLock.pitch);
        recovery->UnlockRect(0);
        if (!stored) break;
    }
    EndList(textures, made);

    device->SetTexture(0, nullptr);
    device->SetRenderTarget(savedTarget);
    device->SetRenderState(gfx::RenderState::ZEnable, 1);
    if (ownScene) device->EndScene();
    return made == images.shapeCount();
}
