#include <Tavrin/Core/DataInput.h>
#include <Tavrin/Core/RefCount.h>

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <boost/intrusive_ptr.hpp>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using Tavrin::RefCounted;
using Tavrin::RefCountImpl;
using Tavrin::Core::DataInputString;
using Tavrin::Core::IDataInput;
using Tavrin::Core::ReadAll;

namespace Product {

// Outside namespace Tavrin: intrusive_ptr must find the reference functions via the base.
class IModel : public Tavrin::IRefCountable
{
public:
    explicit IModel(int id) : id(id) {}
    const int id;
};

class Model final : public RefCounted<IModel>
{
public:
    Model(int id, std::atomic<int>& destroyed) : RefCounted(id), m_destroyed(destroyed) {}
    ~Model() override { ++m_destroyed; }

private:
    std::atomic<int>& m_destroyed;
};

using ModelPtr = boost::intrusive_ptr<IModel>;

}  // namespace Product

TEST(RefCountImpl, CountsFromZeroAndNeverBelow)
{
    RefCountImpl count;
    EXPECT_EQ(count.AddRefImpl(), 1u);
    EXPECT_EQ(count.AddRefImpl(), 2u);
    EXPECT_EQ(RefCountImpl(count).GetRefCountImpl(), 0u) << "a copy is a new object";
    EXPECT_EQ(count.ReleaseImpl(), 1u);
    EXPECT_EQ(count.ReleaseImpl(), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(count.ReleaseImpl(), 0u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no references"), std::string::npos);
    EXPECT_EQ(count.GetRefCountImpl(), 0u);
}

TEST(RefCounted, DeletesItselfWhenTheLastOwnerLetsGo)
{
    std::atomic<int> destroyed{0};
    Product::ModelPtr first(new Product::Model(7, destroyed));
    EXPECT_EQ(first->id, 7);
    {
        Product::ModelPtr second = first;
        EXPECT_EQ(first->GetRefCount(), 2u);
    }
    EXPECT_EQ(first->AddRef(), 2u);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(destroyed, 0);
    first.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCounted, SharedAcrossThreadsAndReleasedOnceByTheLast)
{
    for (int round = 0; round < 30; ++round) {
        std::atomic<int> destroyed{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        {
            Product::ModelPtr model(new Product::Model(round, destroyed));
            for (int t = 0; t < 4; ++t) {
                threads.emplace_back([model, &go]() mutable {
                    while (!go) {
                        std::this_thread::yield();
                    }
                    for (int i = 0; i < 2000; ++i) {
                        Product::ModelPtr copy = model;
                    }
                    model.reset();  // the last of these deletes the object
                });
            }
            EXPECT_EQ(model->GetRefCount(), 5u);
        }
        go = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(destroyed, 1);
    }
}

TEST(DataInputString, ReadsTheStringInPieces)
{
    const std::string text("abc\0def", 7);
    const boost::intrusive_ptr<IDataInput> input = DataInputString::Create(&text);
    EXPECT_EQ(input->GetRefCount(), 1u);
    char buffer[4] = {};
    EXPECT_EQ(input->Read(buffer, 0), 0u);
    EXPECT_EQ(input->Read(nullptr, 3), 0u);
    ASSERT_EQ(input->Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), std::string("abc\0", 4));
    EXPECT_FALSE(input->AtEnd());
    EXPECT_EQ(ReadAll(*input), "def");
    EXPECT_TRUE(input->AtEnd());
    EXPECT_EQ(input->Read(buffer, 4), 0u);

    const boost::intrusive_ptr<IDataInput> none = DataInputString::Create(nullptr);
    EXPECT_TRUE(none->AtEnd());
    EXPECT_EQ(ReadAll(*none), "");

    const std::string large(300000, 'L');  // more than one of ReadAll's chunks
    EXPECT_EQ(ReadAll(*DataInputString::Create(&large)), large);
}
