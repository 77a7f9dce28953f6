#include "app/handset_setup.h"

#include "app/tray.h"
#include "skype/call_reactions.h"

namespace calvox {

void HandsetSetup(App& app, Hwnd hubWindow, int, std::uint16_t, std::uint16_t) {
    app.device.Close();
    app.mixer.Close();
    app.driverPlayer.StopAndRelease();

    ResetHandsetMenu(app);
    app.hub.gboxPresent = false;
    TraySetIcon(app, hubWindow, app.hub.trayTip, app.hub.disconnectIcon);

    // Finding and opening the handset comes with the USB walk and the HID
    // channel; until then no handset is ever found and the set-up ends here,
    // leaving everything closed.
}

}  // namespace calvox
