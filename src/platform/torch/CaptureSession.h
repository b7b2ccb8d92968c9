#pragma once

// The capture session that keeps the torch lit (the roles of AVCaptureSession,
// AVCaptureDeviceInput and AVCaptureVideoDataOutput). Nothing is captured on Linux; the session
// records its configuration for the trace, and starting it guards the torch: from then on the
// LED goes off when the application ends, however it ends (TorchGuard.h).

#include "platform/torch/CaptureDevice.h"

#include <optional>
#include <vector>

namespace torvane::platform {

struct CaptureDeviceInput {
    TorchLed led;

    // std::nullopt when no input can be made of the device; on Linux every device gives one.
    [[nodiscard]] static std::optional<CaptureDeviceInput>
    deviceInputWithDevice(const CaptureDevice& device) {
        return CaptureDeviceInput{device.led()};
    }
};

struct VideoDataOutput {};

class CaptureSession {
  public:
    // Traces `capture.session` {event: "create"}.
    explicit CaptureSession(Trace& trace);

    void beginConfiguration();
    void addInput(CaptureDeviceInput input);
    void addOutput(VideoDataOutput output);
    // Traces `capture.session` {event: "commit"}.
    void commitConfiguration();
    // Traces `capture.session` {event: "start"} and guards the torch of the session's input.
    void startRunning();

    [[nodiscard]] bool isConfiguring() const { return m_configuring; }
    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] const std::vector<CaptureDeviceInput>& inputs() const { return m_inputs; }
    [[nodiscard]] std::size_t outputCount() const { return m_outputs.size(); }

  private:
    Trace& m_trace;
    bool m_configuring{false};
    bool m_running{false};
    std::vector<CaptureDeviceInput> m_inputs;
    std::vector<VideoDataOutput> m_outputs;
};

} // namespace torvane::platform
