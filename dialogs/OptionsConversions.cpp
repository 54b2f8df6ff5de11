// The slider formulas both ways.
#include "dialogs/OptionsConversions.h"

#include <cmath>

int SliderPosition(double v)
{
    if (!(v > 0.0)) return 0;  // also NaN
    if (v >= 100.0) return 100;
    return int(v);
}

SOptionsControls ControlsFromConstants(const CUniversalConstants& c)
{
    SOptionsControls o;
    o.recoilLoss = SliderPosition(c.m_recoilLoss * 100);
    o.propagationLoss = SliderPosition(c.m_propagationLoss * 100);
    o.collisionDiameter = SliderPosition(c.m_collisionDiameter * 0.025 * 100);
    o.gravity = SliderPosition(c.m_gravity);
    o.whitePoint = SliderPosition(c.m_whitePoint * 100);
    o.orbs = SliderPosition(c.m_orbCount * 0.004 * 100);
    o.boundaryEnergy = SliderPosition(100 - (c.m_boundaryEnergy + 1) * 0.5 * 100);
    o.packingEnergy = SliderPosition(c.m_packingEnergy * 100);
    o.minimumAngle = SliderPosition(c.m_minimumAngle * 100);
    o.tidalForce = SliderPosition(100 - c.m_tidalDivisor);
    o.maxEnergy = SliderPosition(c.m_maxEnergy - 1);
    o.throwForce = SliderPosition(c.m_throwForce * 10);
    o.flashCollisions = c.m_flashCollisions != 0;
    o.spinning = c.m_spinning != 0;
    o.scaledColor = c.m_scaledColor != 0;
    o.dynamicColor = c.m_dynamicColor != 0;
    o.energyColorShifting = c.m_energyColorShifting != 0;
    o.gravityType = c.m_blackHole ? 0 : 1;
    o.boundaryShape = c.m_sphericalBoundary ? 1 : 0;
    return o;
}

int OrbCountFromSlider(int s)
{
    const int n = int(s * 0.01 * 250.0);
    return n < 1 ? 1 : n;
}

int ApplyControls(const SOptionsControls& o, CUniversalConstants& c, const SOptionsControls* given)
{
    auto changed = [&o, given](auto SOptionsControls::*member) { return !given || o.*member != given->*member; };
    if (changed(&SOptionsControls::boundaryEnergy)) {
        double boundary = (o.boundaryEnergy * 0.01 * 2 - 1) * -1;
        if (boundary >= 1.0) boundary = 0.999;  // a full loss would freeze orbs on the wall
        c.m_boundaryEnergy = boundary;
    }
    if (changed(&SOptionsControls::gravity)) c.m_gravity = o.gravity;
    if (changed(&SOptionsControls::tidalForce)) c.m_tidalDivisor = 100 - o.tidalForce;
    if (changed(&SOptionsControls::collisionDiameter)) c.m_collisionDiameter = o.collisionDiameter * 0.01 * 40;
    if (changed(&SOptionsControls::recoilLoss)) c.m_recoilLoss = o.recoilLoss * 0.01;
    if (changed(&SOptionsControls::propagationLoss)) c.m_propagationLoss = o.propagationLoss * 0.01;
    if (changed(&SOptionsControls::spinning)) c.m_spinning = o.spinning ? 1 : 0;
    if (changed(&SOptionsControls::flashCollisions)) c.m_flashCollisions = o.flashCollisions ? 1 : 0;
    if (changed(&SOptionsControls::scaledColor)) c.m_scaledColor = o.scaledColor ? 1 : 0;
    if (changed(&SOptionsControls::boundaryShape)) c.m_sphericalBoundary = o.boundaryShape ? 1 : 0;
    if (changed(&SOptionsControls::maxEnergy)) c.m_maxEnergy = o.maxEnergy + 1;
    if (changed(&SOptionsControls::gravityType)) c.m_blackHole = o.gravityType == 0 ? 1 : 0;
    if (changed(&SOptionsControls::dynamicColor)) c.m_dynamicColor = o.dynamicColor ? 1 : 0;
    if (changed(&SOptionsControls::whitePoint)) c.m_whitePoint = o.whitePoint * 0.01;
    if (changed(&SOptionsControls::packingEnergy)) c.m_packingEnergy = o.packingEnergy * 0.01;
    if (changed(&SOptionsControls::minimumAngle)) c.m_minimumAngle = o.minimumAngle * 0.01;
    if (changed(&SOptionsControls::throwForce)) c.m_throwForce = o.throwForce * 0.1;
    if (changed(&SOptionsControls::energyColorShifting)) c.m_energyColorShifting = o.energyColorShifting ? 1 : 0;
    return OrbCountFromSlider(o.orbs);
}
