// voxatool myradio OUT.mra PATH:CLASS...: writes a MyRadio profile.
#include "editors/myradio/myradiofile.h"
#include "editors/myradio/myradiorows.h"
#include "tool/command.h"

namespace voxa::tool {
namespace {

// A path as the profile stores it: relative to the drive's root, with "\".
// "V:\music\rock" and "music/rock" both become "music\rock"; an element of
// the root keeps a leading "\" ("\song.mp3").
QString storedPath(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (path.size() >= 3 && path[0].isLetter() && path[1] == QLatin1Char(':')
        && path[2] == QLatin1Char('\\'))
        path = path.mid(3);
    while (path.endsWith(QLatin1Char('\\')) && path.size() > 1)
        path.chop(1);
    if (!path.isEmpty() && !path.contains(QLatin1Char('\\')))
        path.prepend(QLatin1Char('\\'));
    return path;
}

const char *const Help =
    "arguments:\n"
    "  OUT.mra        the profile to write\n"
    "  PATH:CLASS     an element: a folder or an MP3 file of the player's drive (\"music\\rock\",\n"
    "                 \"V:\\music\\rock\" or \"/song.mp3\" at the root) and its weight class 1 to 20;\n"
    "                 up to 100 elements. Paths leading off the drive (.., another drive,\n"
    "                 another machine) are refused.\n"
    "Exit status: 0 written, 1 not written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool myradio E:\\voxa\\myradio\\drive.mra music\\rock:15 music\\jazz:5 \"music\\best of\\a.mp3:20\"\n";

int myRadio(const QStringList &args, Io &io)
{
    if (args.isEmpty()) {
        io.err << "usage: voxatool myradio OUT.mra PATH:CLASS...\n";
        return 2;
    }
    QList<MyRadioElement> elements;
    for (const QString &a : args.mid(1)) {
        const qsizetype colon = a.lastIndexOf(QLatin1Char(':'));
        bool isNumber = false;
        const int weightClass = colon < 0 ? 0 : a.mid(colon + 1).toInt(&isNumber);
        if (!isNumber || weightClass < MyRadioMinClass || weightClass > MyRadioMaxClass) {
            io.err << "voxatool myradio: expected PATH:CLASS with a class from 1 to 20, got '" << a << "'\n";
            return 2;
        }
        // An element leading off the drive is refused: the editor would not
        // load it and a copy would follow it. (A path the file cannot hold
        // at all is the writer's to report.)
        const QString stored = storedPath(a.left(colon));
        if (!checkMyRadioPath(stored).failed() && !ElementPathAllowed(stored)) {
            io.err << "voxatool myradio: '" << a.left(colon) << "' leads off the player's drive\n";
            return 2;
        }
        elements.append(MyRadioElement::fromPath(stored, weightClass));
    }
    const WriteResult w = WriteMyRadioFile(args[0], elements);
    if (w.failed()) {
        io.err << args[0] << ": " << w.text() << "\n";
        return 1;
    }
    return 0;
}

const ToolCommand myRadioCommand(
    "myradio", "myradio OUT.mra PATH:CLASS...",
    "write a MyRadio profile: each PATH (a folder or an MP3 file of the player's drive, "
    "\"music\\rock\" or \"V:\\music\\rock\") with its weight class 1 to 20",
    Help, myRadio);

}  // namespace
}  // namespace voxa::tool
