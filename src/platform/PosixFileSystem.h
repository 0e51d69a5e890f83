#pragma once

#include "platform/FileSystem.h"

class PosixFileSystem : public FileSystem {};
