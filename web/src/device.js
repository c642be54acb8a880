// The page's side of the device link. The tool in the page finds no
// controller yet (its link, src/usb/usb_web.cc, is a stub); reaching the
// controller through WebUSB goes behind this module.

/// What this browser offers for talking to the controller.
export function deviceSupport() {
  const webusb = typeof navigator === "object" && "usb" in navigator;
  return { webusb };
}
