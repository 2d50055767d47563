#include "editors/playerformat.h"

#include "editors/config/configfile.h"
#include "editors/logo/logofile.h"
#include "editors/messages/messagefile.h"
#include "editors/myradio/myradiofile.h"
#include "editors/playdisplay/playdisplayfile.h"

namespace voxa {

const QList<const PlayerFormat *> &playerFormats()
{
    static const QList<const PlayerFormat *> all = {&configFormat(), &messageFormat(), &myRadioFormat(),
                                                    &logoFormat(), &playdisplayFormat()};
    return all;
}

const PlayerFormat *playerFormatOf(const QByteArray &head)
{
    for (const PlayerFormat *f : playerFormats())
        if (f->recognises(head))
            return f;
    return nullptr;
}

}  // namespace voxa
