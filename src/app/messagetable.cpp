#include "app/messagetable.h"
#include "app/owntexts.h"

#include <array>

namespace voxa {
namespace {

struct Default {
    int number;
    const char *text;
};

constexpr std::array<Default, int(Msg::Count)> kDefaults = {{
    {115, "Editor"},
    {116, "Untitled"},
    {117, "Do you want to save changes?"},
    {118, "You cannot save changes until there are overlapped fields"},
    {119, "Do you want to overwrite the existing file?"},
    {240, "The file does not exists!"},
    {242, "The file is readonly. Do You want to overwrite it anyway?"},
    {120, "Error while trying to open file for write!"},
    {121, "Cannot open the file!"},
    {241, "Not enough free space int the target drive to copy the files!"},
    {122, "Do you really want to delete this file?"},
    {124, "Firmware Version"},
    {125, "Unknown"},
    {126, "Error while downloading the file! Please check the Proxy Settings in the Options menu."},
    {127, "Checking for update"},
    {128, "Select update."},
    {129, "Download ended succesfully. Executing file."},
    {130, "The new VOXA Manager was downloaded. For update close the running VOXA Manager and run the"},
    {131, "No need to update, you already have the latest versions."},
    {132, "Download aborted by user!"},
    {133, "Cannot open the update information file!"},
    {134, "The update information file is invalid!"},
    {135, "Downloading"},
    {136, "You riched the maximal 100 elements!"},
    {137, "There is not any MP3 file in this directory!!!"},
    {138, "M3U file is not valid!"},
    {139, "The element number is not valid! Try another one!"},
    {140, "Open"},
    {141, "Save"},
    {144, "Open File"},
    {145, "Save File"},
    {143, "Save As"},
    {-1, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"},
    {152, "There is not any mp3 in selected directory(s)"},
    {153, "Cannot create directory: "},
    {154, "Cannot copy file: "},
    {-1, "voxam2eng.chm"},
    {174, "Sorting:"},
    {175, "Rolling Back:"},
    {176, "There was an error while sorting. Trying to roll back."},
    {177, "Error While RollBack"},
    {178, "There was some error while trying to roll back. You can find your files in "},
    {179, "directory and you can move them back."},
    {180, "Directory Sorted"},
    {182, "Files Rolled Back"},
    {184, "Install VOXA Manager"},
    {185, "VOXA Manager does not exist on this drive, or it is corrupted, or the version of the existing is older. Do you want to install it?"},
    {186, "Installing. Please wait..."},
    {188, "Online Update"},
    {189, "Fat32 patition not found. Press OK to close the program."},
    {195, "There are less then 100 files in directory, so you cannot sort it!"},
    {196, "Cannot save the file, because the data is too long. Try using shorter texts!"},
    {142, "Cancel"},
    {187, "Close"},
    {203, "Choose Logo Image"},
    {204, "Not Available"},
    {205, "Do you really want to delete the selected files from disk?"},
    {150, "Filename"},
    {206, "Date"},
    {207, "Size"},
    {208, "Bitrate"},
    {30, "Path"},
    {210, "Wrong file format"},
    {247, "Searching"},
}};

std::array<QString, int(Msg::Count)> &table()
{
    static std::array<QString, int(Msg::Count)> t = [] {
        std::array<QString, int(Msg::Count)> init;
        for (int i = 0; i < int(Msg::Count); ++i)
            init[i] = QString::fromLatin1(kDefaults[i].text);
        return init;
    }();
    return t;
}

}  // namespace

QString msg(Msg m)
{
    return table()[int(m)];
}

int languageNumber(Msg m)
{
    return kDefaults[int(m)].number;
}

void setMessage(Msg m, const QString &text)
{
    table()[int(m)] = text;
}

void resetMessages()
{
    for (int i = 0; i < int(Msg::Count); ++i)
        table()[i] = QString::fromLatin1(kDefaults[i].text);
    resetOwnTexts();
}

}  // namespace voxa
