#include <gtest/gtest.h>

#include <cstring>

#include "host/host.h"
#include "host/host_string.h"
#include "support/fake_host.h"

namespace k7v {
namespace {

TEST(HostString, TheSameStatusTextAgainLeavesASharedStringAlone)
{
    test::FakeHost fake;
    host::Host h = fake.Wire();
    h.SetStatusText(" Jog OFF. ");
    void* object = fake.machine.data() + host::fields::HostStatusTextOffset;
    char* data = nullptr;
    std::memcpy(&data, object, sizeof data);
    reinterpret_cast<host::HostStringHeader*>(data)[-1].refs = 2;  // the host keeps a copy

    h.SetStatusText(" Jog OFF. ");
    EXPECT_EQ(host::HostStringTextAt(object), data);  // no new block
    h.SetStatusText("Ready");
    EXPECT_NE(host::HostStringTextAt(object), data);  // a new text takes a block of its own
    EXPECT_STREQ(data, " Jog OFF. ");                  // and the host's copy keeps its text

    host::HostString shared{data};
    host::HostStringRelease(shared);
}

}  // namespace
}  // namespace k7v
