// The leaves kept by host and the hosts tunnelled for the rest of the run: what is kept, what
// goes first, and threads asking at once.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "proxy/leaf_cache.h"
#include "proxy/tunnel_hosts.h"

namespace proxy {
namespace {

struct FakeLeaf : platform::TlsLeaf {
    explicit FakeLeaf(std::string host) : host(std::move(host)) {}
    std::string host;
};

// Issues a leaf naming its host and counts the issues of each host.
class CountingIssuer {
  public:
    LeafIssuer Issuer() {
        return [this](const std::string& host) -> std::shared_ptr<const platform::TlsLeaf> {
            std::lock_guard<std::mutex> guard(lock_);
            ++issued_[host];
            if (host.rfind("fail", 0) == 0) return nullptr;
            return std::make_shared<FakeLeaf>(host);
        };
    }
    int Issued(const std::string& host) {
        std::lock_guard<std::mutex> guard(lock_);
        return issued_[host];
    }

  private:
    std::mutex lock_;
    std::map<std::string, int> issued_;
};

std::string HostOf(const std::shared_ptr<const platform::TlsLeaf>& leaf) {
    return leaf ? static_cast<const FakeLeaf&>(*leaf).host : "(none)";
}

TEST(LeafCache, IssuesEachHostOnceAndDropsTheLeastRecentlyUsed) {
    CountingIssuer counter;
    const LeafIssuer issue = counter.Issuer();
    LeafCache cache(3);
    const auto a = cache.Get("a.example", issue);
    EXPECT_EQ(HostOf(a), "a.example");
    cache.Get("b.example", issue);
    cache.Get("c.example", issue);
    EXPECT_EQ(cache.Get("a.example", issue), a);  // a is now the most recently used
    cache.Get("d.example", issue);                // so b goes
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_EQ(counter.Issued("a.example"), 1);
    cache.Get("c.example", issue);
    cache.Get("b.example", issue);
    EXPECT_EQ(counter.Issued("b.example"), 2);
    EXPECT_EQ(counter.Issued("c.example"), 1);
    cache.Get("a.example", issue);  // a went when b came back
    EXPECT_EQ(counter.Issued("a.example"), 2);

    cache.Clear();
    EXPECT_EQ(cache.size(), 0u);
    cache.Get("c.example", issue);
    EXPECT_EQ(counter.Issued("c.example"), 2);
}

TEST(LeafCache, KeepsNoFailureAndLetsTheNextCallTryAgain) {
    CountingIssuer counter;
    LeafCache cache;
    EXPECT_EQ(cache.Get("fail.example", counter.Issuer()), nullptr);
    EXPECT_EQ(cache.Get("fail.example", counter.Issuer()), nullptr);
    EXPECT_EQ(counter.Issued("fail.example"), 2);
    EXPECT_EQ(cache.size(), 0u);
    // An issuer that throws leaves nothing behind: no leaf, and no host marked as being issued.
    EXPECT_THROW(cache.Get("x.example",
                           [](const std::string&) -> std::shared_ptr<const platform::TlsLeaf> {
                               throw std::runtime_error("no key");
                           }),
                 std::runtime_error);
    EXPECT_EQ(HostOf(cache.Get("x.example", counter.Issuer())), "x.example");
}

// An issuer that holds every issue until released, as a slow signature would.
class GatedIssuer {
  public:
    LeafIssuer Issuer() {
        return [this](const std::string& host) -> std::shared_ptr<const platform::TlsLeaf> {
            std::unique_lock<std::mutex> guard(lock_);
            ++started_;
            changed_.notify_all();
            changed_.wait(guard, [&] { return open_; });
            return std::make_shared<FakeLeaf>(host);
        };
    }
    void WaitForStarts(int count) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return started_ >= count; });
    }
    void Open() {
        std::lock_guard<std::mutex> guard(lock_);
        open_ = true;
        changed_.notify_all();
    }
    int started() {
        std::lock_guard<std::mutex> guard(lock_);
        return started_;
    }

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    int started_ = 0;
    bool open_ = false;
};

TEST(LeafCache, ThreadsAskingForOneNewHostShareOneIssue) {
    GatedIssuer gate;
    const LeafIssuer slow = gate.Issuer();
    LeafCache cache;
    std::vector<std::shared_ptr<const platform::TlsLeaf>> leaves(8);
    std::vector<std::thread> threads;
    threads.emplace_back([&] { leaves[0] = cache.Get("slow.example", slow); });
    gate.WaitForStarts(1);
    for (size_t i = 1; i < leaves.size(); ++i) {
        threads.emplace_back([&, i] { leaves[i] = cache.Get("slow.example", slow); });
    }
    // Another host is not held up by the one being issued.
    CountingIssuer counter;
    EXPECT_EQ(HostOf(cache.Get("fast.example", counter.Issuer())), "fast.example");
    // Time for the others to reach the wait; one that comes later finds the leaf kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.Open();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(gate.started(), 1);
    for (const auto& leaf : leaves) EXPECT_EQ(leaf, leaves[0]);
    EXPECT_EQ(HostOf(leaves[0]), "slow.example");
}

TEST(TunnelHosts, KeepsHostsUntilTheOldestMakesRoom) {
    TunnelHosts hosts(3);
    EXPECT_FALSE(hosts.Contains("a.example"));
    hosts.Add("a.example");
    hosts.Add("b.example");
    hosts.Add("a.example");  // neither a second entry nor younger
    hosts.Add("c.example");
    EXPECT_TRUE(hosts.Contains("a.example"));
    hosts.Add("d.example");
    EXPECT_FALSE(hosts.Contains("a.example"));
    EXPECT_TRUE(hosts.Contains("b.example"));
    EXPECT_TRUE(hosts.Contains("c.example"));
    EXPECT_TRUE(hosts.Contains("d.example"));
    EXPECT_FALSE(hosts.Contains("D.example"));
}

TEST(TunnelHosts, TakesHostsFromManyThreads) {
    TunnelHosts hosts(64);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                hosts.Add("t" + std::to_string(t) + "-" + std::to_string(i));
                hosts.Contains("t0-0");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    int kept = 0;
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 200; ++i) {
            kept += hosts.Contains("t" + std::to_string(t) + "-" + std::to_string(i)) ? 1 : 0;
        }
    }
    EXPECT_EQ(kept, 64);
}

}  // namespace
}  // namespace proxy
