#pragma once

// The application's controllers and models as QML types. They live in
// quaro_app and quaro_connect, which know nothing of QML; these foreign
// registrations name them in the Quaro.Ui module so that the views declare
// typed properties (`required property InboxState inbox`) and qmllint checks
// every use. None can be created from QML: the application state owns them.
// Qt 6.4's registration derives a wrapper from each registered class that
// has a default constructor, so those classes are not `final`.

#include "app/capture/MicrophoneChoice.h"
#include "app/capture/MicrophoneListModel.h"
#include "app/capture/ModelCatalogue.h"
#include "app/desktop/DesktopBridge.h"
#include "app/state/DestinoListModel.h"
#include "app/state/KeyedListModel.h"
#include "app/state/RecadoListModel.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"

#include <QtQml/qqml.h>

namespace quaro::qml {

struct AppStateForeign {
    Q_GADGET
    QML_FOREIGN(quaro::AppState)
    QML_NAMED_ELEMENT(AppState)
    QML_UNCREATABLE("Owned by the application")
};
struct InboxStateForeign {
    Q_GADGET
    QML_FOREIGN(quaro::InboxState)
    QML_NAMED_ELEMENT(InboxState)
    QML_UNCREATABLE("Owned by the application state")
};
struct CaptureFlowForeign {
    Q_GADGET
    QML_FOREIGN(quaro::CaptureFlow)
    QML_NAMED_ELEMENT(CaptureFlow)
    QML_UNCREATABLE("Owned by the application state")
};
struct PreferencesForeign {
    Q_GADGET
    QML_FOREIGN(quaro::Preferences)
    QML_NAMED_ELEMENT(Preferences)
    QML_UNCREATABLE("Owned by the application state")
};
struct HotKeyStatusForeign {
    Q_GADGET
    QML_FOREIGN(quaro::HotKeyStatus)
    QML_NAMED_ELEMENT(HotKeyStatus)
    QML_UNCREATABLE("Owned by the application state")
};
struct SpeechEngineForeign {
    Q_GADGET
    QML_FOREIGN(quaro::SpeechEngine)
    QML_NAMED_ELEMENT(SpeechEngine)
    QML_UNCREATABLE("Owned by the application state")
};
struct MicrophoneChoiceForeign {
    Q_GADGET
    QML_FOREIGN(quaro::MicrophoneChoice)
    QML_NAMED_ELEMENT(MicrophoneChoice)
    QML_UNCREATABLE("Owned by the window that shows it")
};
struct AppActionsForeign {
    Q_GADGET
    QML_FOREIGN(quaro::AppActions)
    QML_NAMED_ELEMENT(AppActions)
    QML_UNCREATABLE("Owned by the application")
};
struct DesktopBridgeForeign {
    Q_GADGET
    QML_FOREIGN(quaro::DesktopBridge)
    QML_NAMED_ELEMENT(DesktopBridge)
    QML_UNCREATABLE("Owned by the window that shows it")
};
struct KeyedListModelForeign {
    Q_GADGET
    QML_FOREIGN(quaro::KeyedListModel)
    QML_ANONYMOUS
};
struct DestinoListModelForeign {
    Q_GADGET
    QML_FOREIGN(quaro::DestinoListModel)
    QML_NAMED_ELEMENT(DestinoListModel)
    QML_UNCREATABLE("Owned by the inbox state")
};
struct RecadoListModelForeign {
    Q_GADGET
    QML_FOREIGN(quaro::RecadoListModel)
    QML_NAMED_ELEMENT(RecadoListModel)
    QML_UNCREATABLE("Owned by the inbox state")
};
struct MicrophoneListModelForeign {
    Q_GADGET
    QML_FOREIGN(quaro::MicrophoneListModel)
    QML_NAMED_ELEMENT(MicrophoneListModel)
    QML_UNCREATABLE("Owned by the capture flow")
};
struct ModelCatalogueForeign {
    Q_GADGET
    QML_FOREIGN(quaro::ModelCatalogue)
    QML_NAMED_ELEMENT(ModelCatalogue)
    QML_UNCREATABLE("Owned by the application state")
};
struct AutoModeForeign {
    Q_GADGET
    QML_FOREIGN(quaro::AutoMode)
    QML_NAMED_ELEMENT(AutoMode)
    QML_UNCREATABLE("Owned by the application state")
};
struct ClaudeConnectorForeign {
    Q_GADGET
    QML_FOREIGN(quaro::ClaudeConnector)
    QML_NAMED_ELEMENT(ClaudeConnector)
    QML_UNCREATABLE("Owned by the application state")
};
struct UpdaterForeign {
    Q_GADGET
    QML_FOREIGN(quaro::Updater)
    QML_NAMED_ELEMENT(Updater)
    QML_UNCREATABLE("Owned by the application state")
};
struct CloudLinkForeign {
    Q_GADGET
    QML_FOREIGN(quaro::CloudLink)
    QML_NAMED_ELEMENT(CloudLink)
    QML_UNCREATABLE("Owned by the application state")
};

} // namespace quaro::qml
