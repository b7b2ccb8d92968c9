#pragma once

// Torvane's JSON library: include this one header.
