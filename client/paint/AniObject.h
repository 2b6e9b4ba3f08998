// What every short animation of the table shares: its step counter and end flag, its
// place in its pool, and the two surfaces it works on (it draws on the main window and
// erases itself by copying the clean background back); and the pool the objects of one
// kind live in, which reuses the lowest ended entry and grows by one when none is free.
#pragma once
#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

class TableClient;

class clsAniObject {
public:
    explicit clsAniObject(TableClient& client) : client_(client) {}
    virtual ~clsAniObject() = default;
    clsAniObject(const clsAniObject&) = delete;
    clsAniObject& operator=(const clsAniObject&) = delete;

    // Back to idle: ended, no step drawn.
    virtual void Class_Initialize() {
        blnAniEnd = true;
        lngCurStep = 0;
    }

    std::int32_t lngCurStep = 0;    // 0 when idle
    bool blnAniEnd = true;          // idle or finished
    std::int32_t lngID = 0;         // the object's own index in its pool
    std::int32_t lngStepCount = 0;  // drawn steps; the step after the last one erases
    std::int32_t lngInterval = 0;   // milliseconds a tick, as the starter set its timer

protected:
    // The common start of InitAniInfo: reset, running, its pool index and tick interval.
    void BeginAni(std::int32_t id, std::int32_t interval) {
        Class_Initialize();
        blnAniEnd = false;
        lngID = id;
        lngInterval = interval;
    }
    // The main window's image and the clean background; nullptr before the window exists.
    QImage* Window() const;
    QImage* Back() const;
    // Copies the w x h block at (x, y) of the clean background onto the window.
    void RestoreFromBack(int x, int y, int w, int h) const;
    void RefreshWindow() const;
    bool Ready() const { return Window() != nullptr; }
    // The top-left corner of a cell of the own board, in window pixels; rows and columns
    // outside the board (a path may run round it) follow the same rule.
    void OwnCellOrigin(std::int32_t row, std::int32_t col, std::int32_t& x, std::int32_t& y) const;

    TableClient& client_;
};

// The task record keeps pool indices in bytes and 250 means "no lightning", so a pool
// never holds more than 250 entries (indices 0 to 249).
inline constexpr int kMaxAniPoolEntries = 250;

template <class T>
class AniObjectPool {
public:
    explicit AniObjectPool(TableClient& client) : client_(client) {}

    // Start-up: one idle entry.
    void Init() {
        objects_.clear();
        objects_.push_back(std::make_unique<T>(client_));
    }
    // The first ended entry from index 0; when none, a new entry at the end; -1 when the
    // pool is full.
    int GetFree() {
        for (std::size_t i = 0; i < objects_.size(); ++i)
            if (objects_[i]->blnAniEnd) return static_cast<int>(i);
        if (static_cast<int>(objects_.size()) >= kMaxAniPoolEntries) return -1;
        objects_.push_back(std::make_unique<T>(client_));
        return static_cast<int>(objects_.size()) - 1;
    }
    void Release() { objects_.clear(); }

    // The entry at index i, nullptr outside the pool.
    T* At(int i) const { return i >= 0 && i < Count() ? objects_[static_cast<std::size_t>(i)].get() : nullptr; }
    T& operator[](int i) const { return *objects_[static_cast<std::size_t>(i)]; }
    int Count() const { return static_cast<int>(objects_.size()); }

private:
    TableClient& client_;
    std::vector<std::unique_ptr<T>> objects_;
};
