#include "platform/torch/CaptureSession.h"

#include "platform/torch/TorchGuard.h"

namespace torvane::platform {

CaptureSession::CaptureSession(Trace& trace) : m_trace(trace) {
    m_trace.record("capture.session", {{"event", "create"}});
}

void CaptureSession::beginConfiguration() {
    m_configuring = true;
}

void CaptureSession::addInput(CaptureDeviceInput input) {
    m_inputs.push_back(std::move(input));
}

void CaptureSession::addOutput(VideoDataOutput output) {
    m_outputs.push_back(output);
}

void CaptureSession::commitConfiguration() {
    m_configuring = false;
    m_trace.record("capture.session", {{"event", "commit"}});
}

void CaptureSession::startRunning() {
    m_trace.record("capture.session", {{"event", "start"}});
    if (m_running)
        return;
    m_running = true;
    for (const auto& input : m_inputs)
        guardTorch(m_trace, input.led);
}

} // namespace torvane::platform
