# The recovery copies of the document: one per running instance under the XDG state folder,
# guarded by a lock and written on a thread of their own.
list(APPEND VELQUOR_PLATFORM_SOURCES recovery_store.h recovery_store.cpp)
