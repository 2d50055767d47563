#pragma once
// Each feature folder registers the frames and dialogs it provides here:
// RegisterFrame(...), RegisteredDialogs().fileDialog = ..., setDriveLocator(...).
// Whatever is not registered is left out of the program.
namespace voxa {

void RegisterFeatures();

}  // namespace voxa
