#pragma once
// Damages a file's bytes the ways a pulled cable, a bad sector or a foreign
// writer would: flipped bits, telling bytes, cuts, insertions, deletions,
// runs of 0xFF or zeros and random stretches. For fuzz-style tests.
#include <QByteArray>
#include <QRandomGenerator>

#include <algorithm>

namespace voxa::test {

struct Damage {
    int maxEdits = 8;               // 1 to maxEdits edits
    QByteArrayView specials;        // bytes that mean something to the reader
    int maxRun = 300;               // longest run of 0xFF or zeros
};

inline QByteArray mutateBytes(QByteArray b, QRandomGenerator &rng, const Damage &how)
{
    const int edits = 1 + int(rng.bounded(quint32(how.maxEdits)));
    for (int e = 0; e < edits; ++e) {
        const quint32 kind = rng.bounded(7);
        const qsizetype at = b.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(b.size())));
        switch (kind) {
        case 0:  // flip a bit
            if (!b.isEmpty())
                b[at] = char(b[at] ^ (1 << rng.bounded(8)));
            break;
        case 1:  // a special byte
            if (!b.isEmpty() && !how.specials.isEmpty())
                b[at] = how.specials[rng.bounded(quint32(how.specials.size()))];
            break;
        case 2:  // cut
            b.truncate(at);
            break;
        case 3:  // insert bytes
            b.insert(at, QByteArray(1 + int(rng.bounded(40)), char(rng.bounded(256))));
            break;
        case 4:  // delete bytes
            b.remove(at, 1 + int(rng.bounded(40)));
            break;
        case 5:  // a run of 0xFF or zeros
            b.replace(at, std::min<qsizetype>(b.size() - at, 1 + rng.bounded(quint32(how.maxRun))),
                      QByteArray(1 + int(rng.bounded(quint32(how.maxRun))), rng.bounded(2) ? '\xFF' : '\0'));
            break;
        default:  // random bytes
            for (int i = 0; i < 16 && at + i < b.size(); ++i)
                b[at + i] = char(rng.bounded(256));
            break;
        }
    }
    return b;
}

}  // namespace voxa::test
