#pragma once
// Puts a file system under the default session's tables for as long as the object lives. A
// test that a failed assertion ends early must not leave a file system of its stack in place
// for the tests after it.

#include "tablestore/component/StoreSession.h"

namespace wispel::test {

class DefaultSessionFileSystem {
public:
    explicit DefaultSessionFileSystem(StoreFileSystem& files) {
        DefaultSession().SetDiskFileSystem(&files);
    }
    ~DefaultSessionFileSystem() { DefaultSession().SetDiskFileSystem(nullptr); }
    DefaultSessionFileSystem(const DefaultSessionFileSystem&) = delete;
    DefaultSessionFileSystem& operator=(const DefaultSessionFileSystem&) = delete;
};

}  // namespace wispel::test
