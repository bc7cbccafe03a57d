// The presenters every back end shares: checks, locking and surface bookkeeping here, the pixels'
// way to the screen in the back end's showFrame.
#include <vector>

#include "host/core/log.h"
#include "host/window/geometry.h"
#include "host/window/window.h"

namespace host {

class WindowStretchPresenter final : public StretchPresenter {
public:
    explicit WindowStretchPresenter(std::shared_ptr<Window::PresenterSlot> slot) : m_slot(std::move(slot)) {}
    ~WindowStretchPresenter() override { release(m_slot); }

    void setFilter(ScaleFilter filter) override { m_filter = filter; }
    ScaleFilter filter() const override { return m_filter; }

    int targetWidth() const override {
        std::lock_guard lock(m_slot->mutex);
        return m_slot->window ? m_slot->window->drawableWidth() : 0;
    }
    int targetHeight() const override {
        std::lock_guard lock(m_slot->mutex);
        return m_slot->window ? m_slot->window->drawableHeight() : 0;
    }

    bool present(const uint16_t* pixels, int width, int height, int pitchBytes) override {
        if (!pixels || width != kScreenWidth || height != kScreenHeight || pitchBytes < kScreenWidth * 2 ||
            pitchBytes % 2 != 0) {
            mrc_log("StretchPresenter::present: frame %dx%d pitch %d refused", width, height, pitchBytes);
            return false;
        }
        std::lock_guard lock(m_slot->mutex);
        Window* w = m_slot->window;
        if (!w || !w->showFrame(Window::PresentPath::Stretch, pixels, pitchBytes, m_filter)) return false;
        w->framePresented(pixels, pitchBytes);
        return true;
    }

    static void release(const std::shared_ptr<Window::PresenterSlot>& slot) {
        std::lock_guard lock(slot->mutex);
        slot->inUse = false;
        if (slot->window) slot->window->presenterReleased();
    }

private:
    std::shared_ptr<Window::PresenterSlot> m_slot;
    ScaleFilter m_filter = ScaleFilter::Nearest;
};

class WindowDirectPresenter final : public DirectPresenter {
public:
    WindowDirectPresenter(std::shared_ptr<Window::PresenterSlot> slot, uint64_t primaryGen, uint64_t backGen)
        : m_slot(std::move(slot)),
          m_back(std::size_t(kScreenWidth) * kScreenHeight, 0),
          m_primaryGeneration(primaryGen),
          m_backGeneration(backGen) {}
    ~WindowDirectPresenter() override { WindowStretchPresenter::release(m_slot); }

    bool primaryLost() const override {
        std::lock_guard lock(m_slot->mutex);
        return !m_slot->window || m_slot->window->primaryGeneration() != m_primaryGeneration;
    }
    bool restorePrimary() override {
        std::lock_guard lock(m_slot->mutex);
        if (!m_slot->window) return false;
        m_primaryGeneration = m_slot->window->primaryGeneration();
        return true;
    }
    SurfaceInfo primaryInfo() const override {
        std::lock_guard lock(m_slot->mutex);
        return m_slot->window ? m_slot->window->primarySurfaceInfo() : SurfaceInfo{};
    }

    bool backLost() const override {
        std::lock_guard lock(m_slot->mutex);
        return !m_slot->window || m_slot->window->backGeneration() != m_backGeneration;
    }
    bool restoreBack() override {
        std::lock_guard lock(m_slot->mutex);
        if (!m_slot->window) return false;
        if (m_slot->window->backGeneration() != m_backGeneration) {
            // A lost surface's contents are gone; the memory stays where it is.
            std::fill(m_back.begin(), m_back.end(), uint16_t(0));
            m_backGeneration = m_slot->window->backGeneration();
        }
        return true;
    }
    SurfaceInfo backInfo() const override { return {kScreenWidth, kScreenHeight, 16, 2, kScreenWidth * 2}; }
    uint16_t* backPixels() override { return m_back.data(); }

    bool lock() override {
        std::lock_guard lock(m_slot->mutex);
        if (!m_slot->window) return false;
        ++m_locks;
        return true;
    }
    bool unlock() override {
        std::lock_guard lock(m_slot->mutex);
        if (m_locks == 0) return false;
        --m_locks;
        return true;
    }

    bool present() override {
        std::lock_guard lock(m_slot->mutex);
        Window* w = m_slot->window;
        if (!w || m_locks > 0 || w->primaryGeneration() != m_primaryGeneration ||
            w->backGeneration() != m_backGeneration)
            return false;
        if (!w->showFrame(Window::PresentPath::Direct, m_back.data(), kScreenWidth * 2, ScaleFilter::Nearest))
            return false;
        w->framePresented(m_back.data(), kScreenWidth * 2);
        return true;
    }

private:
    std::shared_ptr<Window::PresenterSlot> m_slot;
    std::vector<uint16_t> m_back;
    uint64_t m_primaryGeneration;
    uint64_t m_backGeneration;
    int m_locks = 0;
};

namespace {

const char* pathName(Window::PresentPath path) {
    return path == Window::PresentPath::Stretch ? "stretch" : "direct";
}

}  // namespace

static bool claim(Window& window, const std::shared_ptr<Window::PresenterSlot>& slot, Window::PresentPath path) {
    std::lock_guard lock(slot->mutex);
    if (slot->inUse) {
        mrc_log("Window: a presenter exists already; no %s presenter", pathName(path));
        return false;
    }
    slot->window = &window;
    slot->inUse = true;
    return true;
}

std::unique_ptr<StretchPresenter> Window::createStretchPresenter() {
    if (!claim(*this, m_presenterSlot, PresentPath::Stretch)) return nullptr;
    auto presenter = std::make_unique<WindowStretchPresenter>(m_presenterSlot);
    if (!preparePresenter(PresentPath::Stretch)) return nullptr;
    return presenter;
}

std::unique_ptr<DirectPresenter> Window::createDirectPresenter() {
    if (!claim(*this, m_presenterSlot, PresentPath::Direct)) return nullptr;
    auto presenter = std::make_unique<WindowDirectPresenter>(m_presenterSlot, primaryGeneration(), backGeneration());
    if (!preparePresenter(PresentPath::Direct)) return nullptr;
    return presenter;
}

void Window::detachPresenters() {
    std::lock_guard lock(m_presenterSlot->mutex);
    m_presenterSlot->window = nullptr;
}

}  // namespace host
