#include "sim/usbfs.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vorlanex::sim {

namespace {

// The client's memory at `offset` of `data`, copied over (and written back
// when the ioctl completes). Null when the client's memory cannot be read.
DataRef resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t length) {
    GError* error = nullptr;
    DataRef resolved(umockdev_ioctl_data_resolve(data, offset, length, &error));
    if (error) {
        std::fprintf(stderr, "vorlanex-sim: cannot read the program's memory: %s\n",
                     error->message);
        g_error_free(error);
        return nullptr;
    }
    return resolved;
}

void fail(UMockdevIoctlClient* client, int error) {
    umockdev_ioctl_client_complete(client, -1, error);
}

}  // namespace

UsbfsNode::UsbfsNode(Testbed& testbed, Controller& controller, std::mutex& lock,
                     RestartRequest restart, std::optional<unsigned> vanish_after_opens)
    : testbed_(testbed),
      controller_(controller),
      lock_(lock),
      restart_(std::move(restart)),
      vanish_after_opens_(vanish_after_opens) {}

UsbfsNode::~UsbfsNode() {
    const std::lock_guard held(lock_);
    detach();
}

bool UsbfsNode::attach(const std::string& devnode) {
    detach();
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(on_ioctl), this);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_.get(), devnode.c_str(), handler_, &error)) {
        std::fprintf(stderr, "vorlanex-sim: cannot emulate %s: %s\n", devnode.c_str(),
                     error->message);
        g_error_free(error);
        g_object_unref(handler_);
        handler_ = nullptr;
        return false;
    }
    devnode_ = devnode;
    return true;
}

void UsbfsNode::vanish() {
    gone_ = true;
    completed_.clear();
    pending_.clear();
}

void UsbfsNode::detach() {
    gone_ = false;
    if (!handler_) return;
    umockdev_testbed_detach_ioctl(testbed_.get(), devnode_.c_str(), nullptr);
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    handler_ = nullptr;
    devnode_.clear();
    completed_.clear();
    pending_.clear();
}

gboolean UsbfsNode::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    auto* node = static_cast<UsbfsNode*>(self);
    const std::lock_guard held(node->lock_);
    node->handle(client);
    return TRUE;
}

void UsbfsNode::handle(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    // A program that opened the node just before the device went must see
    // its open or transfers fail as the kernel's would, not reach a plain file.
    if (gone_ && (request == USBDEVFS_GET_CAPABILITIES || request == USBDEVFS_SUBMITURB)) {
        return fail(client, ENODEV);
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES:
            capabilities(client);
            return;
        case USBDEVFS_SUBMITURB:
            submit(client);
            return;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            reap(client);
            return;
        case USBDEVFS_DISCARDURB:
            discard(client);
            return;
        default:
            fail(client, ENOTTY);
            return;
    }
}

void UsbfsNode::capabilities(UMockdevIoctlClient* client) {
    const DataRef caps = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(std::uint32_t));
    if (!caps) return fail(client, EFAULT);
    const std::uint32_t none = 0;
    std::memcpy(caps->data, &none, sizeof none);
    umockdev_ioctl_client_complete(client, 0, 0);
    // libusb asks for the capabilities each time it opens the device.
    if (vanish_after_opens_ && ++opens_ == *vanish_after_opens_) restart_(std::nullopt);
}

// The urb's buffer holds the setup packet, then the data stage: OUT data to
// read, or room for the IN reply.
void UsbfsNode::submit(UMockdevIoctlClient* client) {
    DataRef urb_data = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb));
    if (!urb_data) return fail(client, EFAULT);
    auto* urb = reinterpret_cast<usbdevfs_urb*>(urb_data->data);
    if (urb->type != USBDEVFS_URB_TYPE_CONTROL || urb->buffer_length < int{kSetupSize}) {
        return fail(client, EINVAL);
    }
    const DataRef buffer = resolve(urb_data.get(), offsetof(usbdevfs_urb, buffer),
                                   static_cast<std::size_t>(urb->buffer_length));
    if (!buffer) return fail(client, EFAULT);
    const std::span<std::uint8_t> bytes(buffer->data, static_cast<std::size_t>(buffer->data_len));
    const SetupPacket setup = SetupPacket_parse(bytes.first<kSetupSize>());
    const std::span<std::uint8_t> stage =
        bytes.subspan(kSetupSize, std::min<std::size_t>(setup.length, bytes.size() - kSetupSize));

    const Answer answer = controller_.handle(setup, setup.is_in() ? stage.first(0) : stage);
    if (answer.hang) {
        pending_.push_back(std::move(urb_data));
        return umockdev_ioctl_client_complete(client, 0, 0);
    }
    urb->status = answer.stall ? -EPIPE : 0;
    if (answer.stall) {
        urb->actual_length = 0;
    } else if (setup.is_in()) {
        const std::size_t count = std::min(answer.reply.size(), stage.size());
        std::copy_n(answer.reply.begin(), count, stage.begin());
        urb->actual_length = static_cast<int>(count);
    } else {
        urb->actual_length = static_cast<int>(std::min(answer.accepted, stage.size()));
    }
    completed_.push_back({std::move(urb_data), answer.restart_into, answer.vanish});
    umockdev_ioctl_client_complete(client, 0, 0);
}

// The program gives up on a transfer that was never answered: it completes,
// cancelled, as the kernel completes a discarded urb.
void UsbfsNode::discard(UMockdevIoctlClient* client) {
    if (pending_.empty()) return fail(client, EINVAL);
    const DataRef urb_data =
        resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb));
    if (!urb_data) return fail(client, EFAULT);
    auto* urb = reinterpret_cast<usbdevfs_urb*>(urb_data->data);
    urb->status = -ENOENT;
    urb->actual_length = 0;
    completed_.push_back({std::move(pending_.front()), std::nullopt, false});
    pending_.pop_front();
    umockdev_ioctl_client_complete(client, 0, 0);
}

// Hands the program the address of its oldest completed urb.
void UsbfsNode::reap(UMockdevIoctlClient* client) {
    if (completed_.empty()) return fail(client, EAGAIN);
    const DataRef pointer = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
    if (!pointer) return fail(client, EFAULT);
    const Completed completed = std::move(completed_.front());
    completed_.pop_front();
    umockdev_ioctl_data_set_ptr(pointer.get(), 0, completed.urb.get());
    umockdev_ioctl_client_complete(client, 0, 0);
    if (completed.vanish) {
        restart_(std::nullopt);
    } else if (completed.restart_into) {
        restart_(*completed.restart_into);
    }
}

}  // namespace vorlanex::sim
