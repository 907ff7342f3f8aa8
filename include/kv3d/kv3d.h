#pragma once

// Everything of the library, and the sibling types it uses.

#include <kv/KvArray.h>
#include <kv/KvArrayIterator.h>
#include <kv/KvCompare.h>
#include <kv/KvErr.h>
#include <kv/KvIterator.h>
#include <kv/KvJournal.h>
#include <kv/KvMatrix.h>
#include <kv/KvPair.h>
#include <kv/KvResult.h>
#include <kv/KvString.h>
#include <kv/KvTrianglePar.h>
#include <kv/KvUVPar.h>
#include <kv/KvUVWPar.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>
#include <kvla/KvLaDblVec.h>

#include <kv3d/Kv3dApply.h>
#include <kv3d/Kv3dArithmetic.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dDistance.h>
#include <kv3d/Kv3dErr.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dInterference.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dParabola.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dPointCompare.h>
#include <kv3d/Kv3dRay.h>
#include <kv3d/Kv3dRegistration.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dRotation.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dTriangle.h>
#include <kv3d/Kv3dTypes.h>
#include <kv3d/Kv3dVector.h>
