' Drives Sondrel.KorvaneConnection late-bound, as a script host does, against
' the simulated meter on a serial port (COM5 unless a number is given). Prints
' one line per case and "N passed, M failed"; the Wine check looks for that
' line, because the script host exits 0 even when a script cannot run.
'
' Every case sets ok and seen in statements of their own after Begin: under
' On Error Resume Next a statement that fails is skipped, so ok stays False and
' the case fails instead of vanishing. Comparisons of record fields are made
' one to a statement: Wine's VBScript gets "a.f = x And b(i).g = y" wrong.
Option Explicit
On Error Resume Next

Const ExpectedCases = 21
' The level korvane-sim's default signal model gives at 471.25 MHz with its
' demo plan active (channel E21's video carrier with tilt and spread), in the
' tenths the meter sends.
Const SimulatedLevelAt471_25 = 82.5
' A port number the Wine prefix has no device for.
Const AbsentPort = 9
Dim passed, failed, ok, seen, callError
passed = 0
failed = 0

Sub Begin()
    ok = False
    seen = ""
    callError = ""
End Sub

' Keeps the error of the call just made, for the report.
Sub AfterCall()
    If Err.Number <> 0 Then callError = " (error " & Err.Number & " " & Err.Description & ")"
    Err.Clear
End Sub

Sub Check(name)
    If Err.Number <> 0 Then seen = seen & " (error " & Err.Number & " " & Err.Description & ")"
    Err.Clear
    If ok Then
        passed = passed + 1
        WScript.Echo "ok   " & name
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & name & ": " & seen & callError
    End If
End Sub

Dim port
port = 5
If WScript.Arguments.Count > 0 Then port = CInt(WScript.Arguments(0))

Dim meter, r, r2
Begin
Set meter = CreateObject("Sondrel.KorvaneConnection")
AfterCall
ok = IsObject(meter)
Check "CreateObject by ProgID"

Begin
seen = TypeName(meter)
ok = TypeName(meter) = "_KorvaneConnection"
Check "the object describes itself as _KorvaneConnection"

Begin
meter.PortDevice = port
AfterCall
seen = meter.PortDevice
ok = meter.PortDevice = port
Check "PortDevice put and get"

Begin
r = meter.OpenDeviceConnection
AfterCall
seen = r & " of type " & VarType(r)
ok = r = 1 And VarType(r) = vbInteger
Check "OpenDeviceConnection returns an Integer 1"

Dim slot
Begin
slot = 3
r = meter.ReadPlanNum(slot)
AfterCall
seen = r & " slot " & slot
ok = r = 1 And slot = 0 And VarType(slot) = vbLong
Check "ReadPlanNum writes the active slot into its ByRef argument"

Dim tuned
Begin
r = meter.SetupFreq(471.25, tuned)
AfterCall
seen = r & " tuned " & tuned
ok = r = 1 And Abs(tuned - 471.25) < 0.001
Check "SetupFreq writes the tuned frequency into its ByRef VARIANT"

Dim level
Begin
r = meter.GetLevelByFrequence(471.25, level)
AfterCall
seen = r & " level " & level
ok = r = 1 And Abs(level - SimulatedLevelAt471_25) < 0.001
Check "GetLevelByFrequence reads the simulator's level of the carrier"

Begin
r = meter.SLMType
AfterCall
seen = r
ok = r = "2000Q"
Check "SLMType names the model"

Dim plan, head
Begin
r = meter.ReadChannel(0, plan, head)
AfterCall
seen = r & " bounds " & LBound(plan) & " to " & UBound(plan)
ok = r = 1 And LBound(plan) = 1 And UBound(plan) = 60
Check "ReadChannel reads the 60 channels of the demo plan from 1"

Begin
seen = "'" & plan(1).ChannelName & "' '" & plan(60).ChannelName & "' " & plan(1).freq
Dim firstName, lastName, firstFreq
firstName = plan(1).ChannelName = " E2"
lastName = plan(60).ChannelName = "E28"
firstFreq = plan(1).freq = 48.25
ok = firstName And lastName And firstFreq
Check "ReadChannel gives each channel's fields"

Begin
seen = head.Fav3 & " " & head.Span & " " & head.Un
ok = head.Fav3 = 14 And head.Span = 8 And head.Un = 1
Check "ReadChannel writes the header back"

Dim again, againHead
Begin
head.Fav1 = 2
r = meter.CarryChannelHead(head)
AfterCall
r2 = meter.ReadChannel(0, again, againHead)
seen = r & " " & r2 & " Fav1 " & againHead.Fav1
ok = r = 1 And r2 = 1 And againHead.Fav1 = 2
Check "CarryChannelHead sends a changed header that ReadChannel reads back"
head.Fav1 = 1
meter.CarryChannelHead head
Err.Clear

Dim back, backHead, i, name, names(60)
Begin
' Every name read before the plan goes back: the record must hand out copies,
' or the script frees the record's own strings and the plan sends what is
' left in their place.
For i = 1 To 60
    names(i) = plan(i).ChannelName
Next
For i = 1 To 60
    name = plan(i).ChannelName & "-" & i
Next
plan(3).ChannelName = "VBS"
r = meter.CarryChannel(plan, 1, head)
AfterCall
r2 = meter.ReadChannel(1, back, backHead)
Dim sentName, sameFreq, demo, demoHead, sameNames, nameSeen
sentName = back(3).ChannelName = "VBS"
sameFreq = back(4).freq = plan(4).freq
' What the meter stored, against the demo plan read afresh.
meter.ReadChannel 0, demo, demoHead
sameNames = True
For i = 1 To 60
    If i <> 3 Then
        name = back(i).ChannelName
        If name <> demo(i).ChannelName Then
            If sameNames Then nameSeen = " channel " & i & " '" & name & "' not '" & demo(i).ChannelName & "'"
            sameNames = False
        End If
    End If
Next
Dim demoFirst
demoFirst = demo(60).ChannelName = "E28"
seen = r & " " & r2 & " " & UBound(back) & " " & sentName & " " & sameFreq & " " & demoFirst & nameSeen
ok = r = 1 And r2 = 1 And UBound(back) = 60 And sentName And sameFreq And sameNames And demoFirst
Check "CarryChannel sends a changed plan, every name as read, that ReadChannel reads back"

Dim unit
Begin
r = meter.ReadTemperatureUnit(unit)
AfterCall
seen = r & " " & unit
ok = r = 1 And unit = "C"
Check "ReadTemperatureUnit reads a setting into its ByRef string"

Dim volume
Begin
r = meter.ReadSLMVolume(volume)
AfterCall
seen = r & " " & volume
ok = r = 1 And volume = 5
Check "ReadSLMVolume reads a setting into its ByRef byte"

Dim cn, number, description, source
Begin
meter.PortDevice = AbsentPort
r = meter.OpenDeviceConnection
number = Err.Number
Err.Clear
meter.PortDevice = port
seen = r & " error " & number
ok = r = 0 And number = 0
Check "a member that fails returns 0 and raises no error in a script"

Begin
r = meter.OpenDeviceConnection
AfterCall
seen = r
ok = r = 1
Check "the object opens its port again after a failure"

Begin
Err.Clear
r = meter.GetCN("fifty", cn)
number = Err.Number
description = Err.Description
source = Err.Source
Err.Clear
seen = number & " " & description & " " & source
ok = number = 13 And description = "Type mismatch" And source = "Sondrel.KorvaneConnection"
Check "a member's error reaches Err.Number"

Begin
r = meter.NoSuchMember
number = Err.Number
Err.Clear
seen = number
ok = number = 438
Check "an unknown member is error 438"

Begin
r = meter.GetLevelByFrequence(471.25)
number = Err.Number
Err.Clear
seen = number
ok = number = 450
Check "a missing argument is error 450"

Begin
meter.CloseDeviceConnection
AfterCall
Set meter = Nothing
AfterCall
ok = callError = ""
Check "the object closes and goes"

If passed + failed <> ExpectedCases Then
    failed = failed + 1
    WScript.Echo "FAIL " & (ExpectedCases - passed - failed + 1) & " case(s) did not run"
End If
WScript.Echo passed & " passed, " & failed & " failed"
