#pragma once
// The Qt headers nearly every test includes, compiled once for all test
// targets (voxa_test_target in cmake/CommonConfig.cmake). Whole module
// headers (<QtWidgets>) make a header so large that loading it costs more
// than it saves; these are what the tests use.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
