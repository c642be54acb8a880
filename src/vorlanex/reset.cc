#include <cstdio>

#include "vorlanex/operations.h"
#include "vorlanex/reconnect.h"
#include "vorlanex/requests.h"

namespace vorlanex {

int identify(Session& session) {
    prepare_devices(session.devices, session.device);
    std::uint8_t text[kIdentificationSize] = {};
    const int received = usb_receive(session.devices.vorlanex, REQUEST_IDENTIFY, 0, 0, text,
                                     static_cast<std::uint16_t>(sizeof text));
    if (received < 0) return 1;  // the link has said why
    if (received == 0) {
        std::fputs("error: the controller sent no identification\n", stderr);
        return 1;
    }
    // The firmware sends NUL-terminated text; a reply without a 0 byte ends
    // where the reply ends.
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(received) && text[length] != 0) ++length;
    std::printf("%.*s\n", static_cast<int>(length), reinterpret_cast<const char*>(text));
    return 0;
}

int reset(Session& session, const Words&) {
    Devices& devices = session.devices;
    // The results of the restart requests go unchecked: a controller may
    // restart before it answers them.
    if (usb_ping(devices.vorlanex)) {
        usb_control(devices.vorlanex, REQUEST_RESET);
    } else if (usb_ping(devices.usbasp)) {
        usb_set_quiet();
        usb_control(devices.usbasp, USBASP_CONNECT);
        usb_control(devices.usbasp, USBASP_DISCONNECT);
    } else {
        failed(devices.vorlanex);
        failed(devices.usbasp);
        return 1;
    }
    if (!expect(devices.vorlanex, "Resetting device")) {
        failed(devices.vorlanex);
        return 1;
    }
    identify(session);
    return 0;
}

}  // namespace vorlanex
