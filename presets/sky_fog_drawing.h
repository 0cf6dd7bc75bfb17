// The sky & fog palette's two drawn controls: the shaded ball of the sun light control, lit from the
// control point, and the cross-section of the cloud layer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "framework/image/image.h"

// Entry k is floor(√(1048000 − 1024·k)): the depth of the unit ball (1024 wide) at a squared
// distance of 1024·k from its centre.
using SunDepthTable = std::array<uint16_t, 1024>;
const SunDepthTable& GetSunDepthTable();

// The ball in sunColor (each channel held within 32..232), lit from the control point (-100..100; a
// positive y above the centre), drawn into image around its centre; the pixels outside the ball keep
// what the image holds. An image narrower than 2 pixels is left alone. False when it can't be locked.
bool DrawSunBall(CImage* image, int32_t pointX, int32_t pointY, CImVector sunColor);

// What the cloud texture answers at a point, 0 to 1.
using CloudSampler = std::function<double(double u, double v, double w)>;

// The cloud layer's cross-section at the altitude of cloudHeight (0..100) across cloudScale
// (0..200), its thickness from the texture's answer and cloudAmplitude (-500..500), drawn at twice
// the image's size and scaled into it. False when a picture can't be made or locked.
bool DrawCloudProfile(CImage* image, int32_t cloudHeight, int32_t cloudScale, int32_t cloudAmplitude,
                      const CloudSampler& cloud);

// The profile's colours: the sky behind, the cloud body and its upper edge.
inline constexpr uint32_t kProfileSky = 0x004E58;
inline constexpr uint32_t kProfileCloud = 0xAE735A;
inline constexpr uint32_t kProfileEdge = 0x573925;
