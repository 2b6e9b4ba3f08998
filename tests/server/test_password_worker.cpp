// The password worker: hashes made and checked on its own thread, in the order asked, and
// a queue that refuses rather than grows.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server/PasswordWorker.h"

using namespace std::chrono_literals;

TEST(PasswordWorker, HashesInTurnAndRefusesWhatFindsTheQueueFull) {
    PasswordWorker worker(2);
    std::mutex m;
    std::vector<std::string> order;
    std::vector<std::optional<std::string>> hashes(3);
    std::promise<void> busy, release;
    auto released = release.get_future().share();
    // The first job holds the thread until released; two more may wait, not three.
    ASSERT_TRUE(worker.Hash("first secret", [&](const std::optional<std::string>& h) {
        hashes[0] = h;
        busy.set_value();
        released.wait();
        std::lock_guard<std::mutex> lock(m);
        order.push_back("first");
    }));
    ASSERT_EQ(busy.get_future().wait_for(30s), std::future_status::ready);
    std::promise<void> done;
    for (int i = 1; i <= 2; ++i)
        ASSERT_TRUE(worker.Hash("secret " + std::to_string(i), [&, i](const std::optional<std::string>& h) {
            hashes[i] = h;
            std::lock_guard<std::mutex> lock(m);
            order.push_back("hash " + std::to_string(i));
            if (i == 2) done.set_value();
        }));
    bool ran = false;
    EXPECT_FALSE(worker.Hash("one too many", [&](const std::optional<std::string>&) { ran = true; }));
    EXPECT_FALSE(worker.Verify("x", "one too many", [&](bool) { ran = true; }));
    release.set_value();
    ASSERT_EQ(done.get_future().wait_for(30s), std::future_status::ready);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "hash 1", "hash 2"}));
    EXPECT_FALSE(ran);
    for (const auto& h : hashes) ASSERT_TRUE(h.has_value());
    EXPECT_NE(*hashes[1], *hashes[2]);
    EXPECT_EQ(hashes[0]->find("first secret"), std::string::npos);  // never in clear

    // The checks: the right password, a wrong one, and a hash that is not one.
    auto check = [&worker](const std::string& hash, const std::string& password) {
        auto verdict = std::make_shared<std::promise<bool>>();
        auto answer = verdict->get_future();
        EXPECT_TRUE(worker.Verify(hash, password, [verdict](bool right) { verdict->set_value(right); }));
        return answer.wait_for(30s) == std::future_status::ready && answer.get();
    };
    EXPECT_TRUE(check(*hashes[1], "secret 1"));
    EXPECT_FALSE(check(*hashes[1], "secret 2"));
    EXPECT_FALSE(check("not a hash", "secret 1"));
    EXPECT_TRUE(check(*hashes[0], "first secret"));
}

TEST(PasswordWorker, StoppingDropsWhatWaits) {
    bool later = false;
    {
        PasswordWorker worker(4);
        std::promise<void> busy, release;
        auto released = release.get_future().share();
        ASSERT_TRUE(worker.Hash("first secret", [&](const std::optional<std::string>&) {
            busy.set_value();
            released.wait();
        }));
        ASSERT_EQ(busy.get_future().wait_for(30s), std::future_status::ready);
        ASSERT_TRUE(worker.Hash("second secret", [&](const std::optional<std::string>&) { later = true; }));
        std::thread releaser([&] {
            std::this_thread::sleep_for(50ms);
            release.set_value();
        });
        worker.Stop();  // the job at hand ends, the waiting one never starts
        releaser.join();
    }
    EXPECT_FALSE(later);
}
