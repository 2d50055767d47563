#include "app/framecatalog.h"

#include <array>

namespace voxa {
namespace {

std::array<FrameFactory, FrameKindCount> &frameFactories()
{
    static std::array<FrameFactory, FrameKindCount> factories;
    return factories;
}

}  // namespace

void RegisterFrame(FrameKind kind, FrameFactory factory)
{
    frameFactories()[size_t(kind)] = std::move(factory);
}

FrameFactory FrameFactoryFor(FrameKind kind)
{
    return frameFactories()[size_t(kind)];
}

DialogFactories &RegisteredDialogs()
{
    static DialogFactories dialogs;
    return dialogs;
}

void ClearRegistrations()
{
    frameFactories().fill(FrameFactory());
    RegisteredDialogs() = DialogFactories();
}

}  // namespace voxa
