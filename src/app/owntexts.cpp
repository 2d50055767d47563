#include "app/owntexts.h"

#include <array>

namespace voxa {
namespace {

constexpr std::array<const char *, int(OwnText::Count)> kDefaults = {
    "Safely Remove VOXA Disk",
    "The VOXA disk can be removed now.",
    "The VOXA disk was unmounted and can be removed, but it could not be switched off.",
    "The VOXA disk is in use: a program still has files open on it. Close them and try again.",
    "You are not allowed to remove the VOXA disk.",
    "The VOXA disk cannot be removed from here: the system's disk service (UDisks2) does not answer or does "
    "not know the disk.",
    "The VOXA disk could not be removed.",
    "VOXA Manager runs from this disk. It saves its settings and closes, and then the disk is removed. Continue?",
    "The removal of the VOXA disk could not be started.",
    "MyRadio Copy finished.",
    "MyRadio Copy stopped.",
    "MyRadio Copy finished, but not everything was copied.",
    "Search finished: %1 MP3 files found.",
    "Plays now",
    "After sorting",
    "The help file %1 does not exist.",
    "No program could be started to show the help file %1.",
    "Input/output error: the file is too short (%1 of %2 bytes)",
    "This text cannot be stored in the player's file",
    "Close",
};

std::array<QString, int(OwnText::Count)> &table()
{
    static std::array<QString, int(OwnText::Count)> t = [] {
        std::array<QString, int(OwnText::Count)> init;
        for (int i = 0; i < int(OwnText::Count); ++i)
            init[i] = QString::fromLatin1(kDefaults[i]);
        return init;
    }();
    return t;
}

constexpr std::array<const char *, int(LaterOwnText::Count)> kLaterDefaults = {
    "No program could be started to play the file.",
};

std::array<QString, int(LaterOwnText::Count)> &laterTable()
{
    static std::array<QString, int(LaterOwnText::Count)> t = [] {
        std::array<QString, int(LaterOwnText::Count)> init;
        for (int i = 0; i < int(LaterOwnText::Count); ++i)
            init[i] = QString::fromLatin1(kLaterDefaults[i]);
        return init;
    }();
    return t;
}

}  // namespace

QString ownText(LaterOwnText t)
{
    return laterTable()[int(t)];
}

int ownNumber(LaterOwnText t)
{
    return FirstLaterOwnNumber + int(t);
}

bool isOwnNumber(int number)
{
    return (number >= FirstOwnNumber && number <= LastOwnNumber)
        || (number >= FirstLaterOwnNumber && number <= LastLaterOwnNumber);
}

QString ownText(OwnText t)
{
    return table()[int(t)];
}

int ownNumber(OwnText t)
{
    return FirstOwnNumber + int(t);
}

bool setOwnText(int number, const QString &text)
{
    if (number >= FirstLaterOwnNumber && number <= LastLaterOwnNumber) {
        laterTable()[number - FirstLaterOwnNumber] = text;
        return true;
    }
    if (number < FirstOwnNumber || number > LastOwnNumber)
        return false;
    table()[number - FirstOwnNumber] = text;
    return true;
}

void resetOwnTexts()
{
    for (int i = 0; i < int(LaterOwnText::Count); ++i)
        laterTable()[i] = QString::fromLatin1(kLaterDefaults[i]);
    for (int i = 0; i < int(OwnText::Count); ++i)
        table()[i] = QString::fromLatin1(kDefaults[i]);
}

QString CopyEndingText(bool stopped, bool allCopied)
{
    return ownText(stopped ? OwnText::CopyStopped : allCopied ? OwnText::CopyFinished : OwnText::CopyIncomplete);
}

QString SearchEndingText(int found)
{
    return ownText(OwnText::SearchFinished).arg(found);
}

}  // namespace voxa
