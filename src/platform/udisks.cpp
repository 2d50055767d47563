#include "platform/udisks.h"

#include "platform/fileops.h"
#include "platform/notifications.h"
#include "platform/processes.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QVariantMap>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kManagerPath = QStringLiteral("/org/freedesktop/UDisks2/Manager");
const QString kBlockPrefix = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
const QString kManager = QStringLiteral("org.freedesktop.UDisks2.Manager");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// The service may ask the user for a password before it answers.
constexpr int kCallTimeoutMs = 5 * 60 * 1000;
// How long the step after exit waits for the manager to end.
constexpr int kStepWaitMs = 2 * 60 * 1000;
constexpr char kHandOverVar[] = "VOXA_REMOVE_AFTER_EXIT";
const QString kStepName = QStringLiteral("voxa-remove-disk");
const QString kStepFolderPrefix = QStringLiteral("voxa-remove-");

QDBusMessage call(const QString &path, const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    // Never interrupted by a password dialog's wait: the caller is a worker.
    m.setInteractiveAuthorizationAllowed(true);
    return QDBusConnection::systemBus().call(m, QDBus::Block, kCallTimeoutMs);
}

QVariant property(const QString &path, const QString &interface, const QString &name, QDBusMessage *reply = nullptr)
{
    const QDBusMessage r = call(path, kProperties, QStringLiteral("Get"), {interface, name});
    if (reply)
        *reply = r;
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return {};
    return r.arguments().constFirst().value<QDBusVariant>().variant();
}

RemovalOutcome outcomeOf(const QString &error)
{
    if (error == QLatin1String("org.freedesktop.UDisks2.Error.DeviceBusy"))
        return RemovalOutcome::Busy;
    if (error.startsWith(QLatin1String("org.freedesktop.UDisks2.Error.NotAuthorized"))
        || error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied"))
        return RemovalOutcome::NotAuthorized;
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || error == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface")
        || error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || error == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
        return RemovalOutcome::NoService;
    return RemovalOutcome::Failed;
}

RemovalResult failure(const QDBusMessage &reply)
{
    return {outcomeOf(reply.errorName()), reply.errorMessage()};
}

// The service's object name of a device node: letters and digits stay,
// every other byte becomes "_" and its two hex digits.
QString escapedObjectName(const QString &name)
{
    QString out;
    for (const char c : QFile::encodeName(name)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += QLatin1Char(c);
        else
            out += QStringLiteral("_%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return out;
}

// The block object of a device node ("/dev/sdb1"), or the reply that tells
// why there is none.
QString blockObjectOf(const QString &device, QDBusMessage &reply)
{
    QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        node = device;
    QVariantMap lookup;
    lookup.insert(QStringLiteral("path"), node);
    reply = call(kManagerPath, kManager, QStringLiteral("ResolveDevice"), {lookup, QVariantMap()});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        const auto paths = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst());
        if (!paths.isEmpty())
            return paths.constFirst().path();
    }
    // Services older than ResolveDevice name the object after the node.
    if (reply.type() == QDBusMessage::ReplyMessage
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod"))
        return kBlockPrefix + escapedObjectName(QFileInfo(node).fileName());
    return {};
}

}  // namespace

bool CanSafelyRemove(const DriveInfo &drive)
{
    return drive.device.startsWith(QLatin1String("/dev/")) && drive.root != QLatin1String("/")
        && drive.type != DriveType::Network;
}

bool RunsFromDrive(const QString &root)
{
    const QString program = runningProgramFile();
    const QString real = QFileInfo(root).canonicalFilePath();
    if (program.isEmpty() || real.isEmpty())
        return false;
    return real == QLatin1String("/") || program.startsWith(real + QLatin1Char('/'));
}

RemovalResult SafelyRemoveVolume(const QString &device, const QString &mountPoint)
{
    // Unmounting flushes too; syncing first keeps the wait for the service
    // (and for a password) from holding unwritten data.
    if (!mountPoint.isEmpty())
        fs::syncFileSystem(mountPoint);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {RemovalOutcome::NoService, bus.lastError().message()};

    QDBusMessage reply;
    const QString block = blockObjectOf(device, reply);
    if (block.isEmpty())
        return failure(reply);
    const QVariant driveValue = property(block, kBlock, QStringLiteral("Drive"), &reply);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return failure(reply);
    const QString drive = driveValue.value<QDBusObjectPath>().path();

    reply = call(block, kFilesystem, QStringLiteral("Unmount"), {QVariantMap()});
    if (reply.type() != QDBusMessage::ReplyMessage
        && reply.errorName() != QLatin1String("org.freedesktop.UDisks2.Error.NotMounted"))
        return failure(reply);

    // Unmounted: from here on the disk is safe to pull whatever follows.
    if (drive.isEmpty() || drive == QLatin1String("/"))
        return {RemovalOutcome::UnmountedOnly, {}};
    const QVariant canPowerOff = property(drive, kDrive, QStringLiteral("CanPowerOff"), &reply);
    if (reply.type() == QDBusMessage::ReplyMessage && !canPowerOff.toBool())
        return {RemovalOutcome::UnmountedOnly, {}};
    reply = call(drive, kDrive, QStringLiteral("PowerOff"), {QVariantMap()});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {RemovalOutcome::UnmountedOnly, reply.errorMessage()};
    return {RemovalOutcome::Removed, {}};
}

QString RemovalMessage(const RemovalResult &result, const RemovalTexts &texts)
{
    QString text;
    switch (result.outcome) {
    case RemovalOutcome::Removed: text = texts.removed; break;
    case RemovalOutcome::UnmountedOnly: text = texts.unmountedOnly; break;
    case RemovalOutcome::Busy: text = texts.busy; break;
    case RemovalOutcome::NotAuthorized: text = texts.notAuthorized; break;
    case RemovalOutcome::NoService: text = texts.noService; break;
    case RemovalOutcome::Failed: text = texts.failed; break;
    }
    if (!result.detail.isEmpty())
        text += QStringLiteral("\n[") + result.detail + QLatin1Char(']');
    return text;
}

// ---------------------------------------------------------------- the job

SafeRemovalJob::SafeRemovalJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<RemovalResult>();
    connect(&m_job, &Job::finished, this,
            [this](const JobResult &r) { emit Finished(r.value.value<RemovalResult>()); });
}

bool SafeRemovalJob::Start(const QString &device, const QString &mountPoint)
{
    return m_job.start([device, mountPoint](JobControl &) {
        return JobResult::success(QVariant::fromValue(SafelyRemoveVolume(device, mountPoint)));
    });
}

// ------------------------------------------------- the step after the exit

QByteArray RemovalHandOver(qint64 pid, const QString &device, const QString &mountPoint, const RemovalTexts &texts)
{
    QJsonObject o;
    o.insert(QStringLiteral("pid"), pid);
    o.insert(QStringLiteral("device"), device);
    o.insert(QStringLiteral("mountPoint"), mountPoint);
    o.insert(QStringLiteral("removed"), texts.removed);
    o.insert(QStringLiteral("unmountedOnly"), texts.unmountedOnly);
    o.insert(QStringLiteral("busy"), texts.busy);
    o.insert(QStringLiteral("notAuthorized"), texts.notAuthorized);
    o.insert(QStringLiteral("noService"), texts.noService);
    o.insert(QStringLiteral("failed"), texts.failed);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString StartRemovalAfterExit(const QString &device, const QString &mountPoint, const RemovalTexts &texts)
{
    // The step must hold nothing on the disk: not its program, not its
    // working folder.
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    QTemporaryDir folder(base + QLatin1Char('/') + kStepFolderPrefix + QStringLiteral("XXXXXX"));
    if (!folder.isValid())
        return folder.errorString();
    folder.setAutoRemove(false);
    auto removeFolder = [&] { QDir(folder.path()).removeRecursively(); };
    QString error;
    const auto program = fs::readRegularFile(runningProgramFile(), qint64(1) << 30, &error);
    if (!program) {
        removeFolder();
        return error;
    }
    const QString copy = folder.path() + QLatin1Char('/') + kStepName;
    error = fs::writeNewFile(copy, *program);
    if (error.isEmpty()) {
        const int fd = ::open(QFile::encodeName(copy).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 || ::fchmod(fd, 0700) != 0)
            error = fs::lastErrorText();
        if (fd >= 0)
            ::close(fd);
    }
    if (!error.isEmpty()) {
        removeFolder();
        return error;
    }
    qputenv(kHandOverVar, RemovalHandOver(qint64(::getpid()), device, mountPoint, texts));
    const bool started = processes().startDetached(copy, {}, QStringLiteral("/"));
    qunsetenv(kHandOverVar);
    if (!started) {
        removeFolder();
        return QStringLiteral("%1 could not be started.").arg(copy);
    }
    return {};
}

RemovalResult FinishRemovalAfterExit(qint64 pid, const QString &device, const QString &mountPoint,
                                     const RemovalTexts &texts, int waitMs)
{
    QElapsedTimer clock;
    clock.start();
    // kill(pid, 0) tells whether the process is still there, without
    // touching it.
    while (pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM) && clock.elapsed() < waitMs)
        QThread::msleep(100);
    const RemovalResult result = SafelyRemoveVolume(device, mountPoint);
    QString summary = RemovalMessage({result.outcome, {}}, texts);
    Notify(summary, result.detail, 5000);
    return result;
}

bool IsRemovalStep()
{
    return qEnvironmentVariableIsSet(kHandOverVar);
}

int RunRemovalStep(int argc, char **argv)
{
    // A session of its own: the end of the manager and of its terminal
    // leave the step running.
    ::setsid();
    std::signal(SIGHUP, SIG_IGN);
    // Nothing inherited may keep a file of the disk open.
    for (int fd = 3; fd < 1024; ++fd)
        ::close(fd);
    const QByteArray handOver = qgetenv(kHandOverVar);
    qunsetenv(kHandOverVar);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VOXA Manager"));

    // The copy is needed no longer once it runs; its folder goes with it.
    const QFileInfo self(QCoreApplication::applicationFilePath());
    if (self.fileName() == kStepName && QFileInfo(self.path()).fileName().startsWith(kStepFolderPrefix)) {
        QFile::remove(self.filePath());
        QDir().rmdir(self.path());
    }

    const QJsonObject o = QJsonDocument::fromJson(handOver).object();
    const QString device = o.value(QStringLiteral("device")).toString();
    if (device.isEmpty())
        return 2;
    RemovalTexts texts;
    texts.removed = o.value(QStringLiteral("removed")).toString();
    texts.unmountedOnly = o.value(QStringLiteral("unmountedOnly")).toString();
    texts.busy = o.value(QStringLiteral("busy")).toString();
    texts.notAuthorized = o.value(QStringLiteral("notAuthorized")).toString();
    texts.noService = o.value(QStringLiteral("noService")).toString();
    texts.failed = o.value(QStringLiteral("failed")).toString();
    const RemovalResult r = FinishRemovalAfterExit(qint64(o.value(QStringLiteral("pid")).toDouble()), device,
                                                   o.value(QStringLiteral("mountPoint")).toString(), texts,
                                                   kStepWaitMs);
    return r.outcome == RemovalOutcome::Removed || r.outcome == RemovalOutcome::UnmountedOnly ? 0 : 1;
}

}  // namespace voxa::platform
