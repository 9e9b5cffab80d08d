#pragma once
// Kernel declarations for Linux: filled in with the environment and text conversion calls.
