// The USB transport on libusb-1.0, one context per transport.
#include "dac/UsbTransport.h"

#include <libusb.h>

#include <thread>

namespace dac {

void UsbTransport::Idle(std::chrono::microseconds time)
{
    std::this_thread::sleep_for(time);
}

namespace {

rtl::Failure UsbFailure(int error, const std::string &what)
{
    const int code = error == LIBUSB_ERROR_TIMEOUT                                 ? kUsbTimeout
                     : error == LIBUSB_ERROR_NO_DEVICE || error == LIBUSB_ERROR_IO ? kUsbNoDevice
                                                                                   : 1;
    return rtl::Fail(what + ": " + libusb_strerror(error), code);
}

class LibusbTransport : public UsbTransport {
public:
    LibusbTransport() { initError_ = libusb_init(&context_); }
    ~LibusbTransport() override
    {
        Close();
        if (initError_ == 0)
            libusb_exit(context_);
    }
    rtl::Result<std::vector<UsbDevice>> List(std::uint16_t vendor, std::uint16_t product) override;
    rtl::Result<void> Open(std::uint16_t vendor, std::uint16_t product, std::size_t index, int interface,
                           int altSetting) override;
    void Close() override;
    rtl::Result<void> Write(UsbPipe pipe, std::uint8_t endpoint, std::span<const std::uint8_t> bytes,
                            std::chrono::milliseconds timeout) override;
    rtl::Result<std::vector<std::uint8_t>> Read(UsbPipe pipe, std::uint8_t endpoint, std::size_t most,
                                                std::chrono::milliseconds timeout) override;

private:
    // The matching devices, referenced; the caller unreferences them.
    rtl::Result<std::vector<libusb_device *>> Matching(std::uint16_t vendor, std::uint16_t product);
    int Transfer(UsbPipe pipe, std::uint8_t endpoint, std::uint8_t *data, int length, int &done,
                 std::chrono::milliseconds timeout);

    libusb_context *context_ = nullptr;
    int initError_ = 0;
    libusb_device_handle *handle_ = nullptr;
    int claimed_ = -1;
};

rtl::Result<std::vector<libusb_device *>> LibusbTransport::Matching(std::uint16_t vendor, std::uint16_t product)
{
    if (initError_ != 0)
        return UsbFailure(initError_, "cannot start libusb");
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0)
        return UsbFailure(static_cast<int>(count), "cannot list the USB devices");
    std::vector<libusb_device *> found;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) == 0 && descriptor.idVendor == vendor &&
            descriptor.idProduct == product)
            found.push_back(libusb_ref_device(list[i]));
    }
    libusb_free_device_list(list, 1);
    return found;
}

rtl::Result<std::vector<UsbDevice>> LibusbTransport::List(std::uint16_t vendor, std::uint16_t product)
{
    auto found = Matching(vendor, product);
    if (!found)
        return found.failure();
    std::vector<UsbDevice> devices;
    for (libusb_device *device : *found) {
        devices.push_back({"bus " + std::to_string(libusb_get_bus_number(device)) + " port " +
                           std::to_string(libusb_get_port_number(device))});
        libusb_unref_device(device);
    }
    return devices;
}

rtl::Result<void> LibusbTransport::Open(std::uint16_t vendor, std::uint16_t product, std::size_t index, int interface,
                                        int altSetting)
{
    Close();
    auto found = Matching(vendor, product);
    if (!found)
        return found.failure();
    if (index >= found->size()) {
        for (libusb_device *device : *found)
            libusb_unref_device(device);
        return rtl::Fail(std::to_string(found->size()) + " plugged in", kUsbNoDevice);
    }
    int error = libusb_open((*found)[index], &handle_);
    for (libusb_device *device : *found)
        libusb_unref_device(device);
    if (error == 0 && (error = libusb_claim_interface(handle_, interface)) == 0)
        claimed_ = interface;
    if (error == 0)
        error = libusb_set_interface_alt_setting(handle_, interface, altSetting);
    if (error != 0) {
        Close();
        return UsbFailure(error, "cannot open USB unit " + std::to_string(index));
    }
    return {};
}

void LibusbTransport::Close()
{
    if (handle_ && claimed_ >= 0)
        libusb_release_interface(handle_, claimed_);
    if (handle_)
        libusb_close(handle_);
    handle_ = nullptr;
    claimed_ = -1;
}

int LibusbTransport::Transfer(UsbPipe pipe, std::uint8_t endpoint, std::uint8_t *data, int length, int &done,
                              std::chrono::milliseconds timeout)
{
    if (!handle_)
        return LIBUSB_ERROR_NO_DEVICE;
    const auto ms = static_cast<unsigned>(timeout.count());
    return pipe == UsbPipe::Bulk ? libusb_bulk_transfer(handle_, endpoint, data, length, &done, ms)
                                 : libusb_interrupt_transfer(handle_, endpoint, data, length, &done, ms);
}

rtl::Result<void> LibusbTransport::Write(UsbPipe pipe, std::uint8_t endpoint, std::span<const std::uint8_t> bytes,
                                         std::chrono::milliseconds timeout)
{
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end()); // libusb wants a mutable buffer
    int done = 0;
    const int error = Transfer(pipe, endpoint, copy.data(), static_cast<int>(copy.size()), done, timeout);
    if (error != 0)
        return UsbFailure(error, "USB transfer failed");
    if (done != static_cast<int>(copy.size()))
        return rtl::Fail("the USB unit took " + std::to_string(done) + " of " + std::to_string(copy.size()) + " bytes");
    return {};
}

rtl::Result<std::vector<std::uint8_t>> LibusbTransport::Read(UsbPipe pipe, std::uint8_t endpoint, std::size_t most,
                                                             std::chrono::milliseconds timeout)
{
    std::vector<std::uint8_t> bytes(most);
    int done = 0;
    const int error = Transfer(pipe, endpoint, bytes.data(), static_cast<int>(bytes.size()), done, timeout);
    if (error != 0)
        return UsbFailure(error, "USB transfer failed");
    bytes.resize(static_cast<std::size_t>(done));
    return bytes;
}

} // namespace

std::unique_ptr<UsbTransport> MakeLibusbTransport()
{
    return std::make_unique<LibusbTransport>();
}

} // namespace dac
