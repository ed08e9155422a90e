#include "app/desktop/DesktopBridge.h"

#include "app/capture/CaptureFlow.h"
#include "core/Log.h"
#include "media/AudioImport.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <vector>

namespace quaro {

namespace {

QString audioFilter()
{
    QStringList patterns;
    for (const char* extension : AudioImport::extensions)
        patterns << QStringLiteral("*.") + QLatin1String(extension);
    return QStringLiteral("Áudios (%1)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace

DesktopBridge::DesktopBridge(CaptureFlow& capture, QObject* parent) : QObject(parent), m_capture(capture) {}

void DesktopBridge::copyText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

bool DesktopBridge::openUrl(const QString& address)
{
    const QUrl url(address);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopBridge::openFile(const QString& path)
{
    return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopBridge::chooseAudioToImport()
{
    QFileDialog dialog(nullptr, QStringLiteral("Importar áudios"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(audioFilter());
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Importar"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::filesystem::path> files;
    for (const QString& file : dialog.selectedFiles())
        files.emplace_back(file.toStdString());
    m_capture.importFiles(files);
}

bool DesktopBridge::openMicrophoneSettings()
{
    // GNOME's and KDE's sound pages, then the PulseAudio mixer.
    const QList<QStringList> panels{{QStringLiteral("gnome-control-center"), QStringLiteral("sound")},
                                    {QStringLiteral("systemsettings"), QStringLiteral("kcm_pulseaudio")},
                                    {QStringLiteral("pavucontrol"), QStringLiteral("--tab=4")}};
    for (const QStringList& panel : panels) {
        if (QProcess::startDetached(panel.first(), panel.mid(1)))
            return true;
    }
    log(LogArea::app, QStringLiteral("microfone"), QStringLiteral("nenhum painel de som para abrir"));
    return false;
}

} // namespace quaro
