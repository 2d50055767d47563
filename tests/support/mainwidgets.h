#pragma once
// The main window's own controls and menu items, which are private to it,
// found by their object names.
#include "app/mainform.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QtGlobal>

namespace voxa {

template<class T>
T *mainChild(TMainForm &form, const char *name)
{
    T *child = form.findChild<T *>(QString::fromLatin1(name));
    if (!child)
        qFatal("the main window has no %s", name);
    return child;
}

template<class T>
T *mainChild(TMainForm *form, const char *name)
{
    return mainChild<T>(*form, name);
}

}  // namespace voxa
