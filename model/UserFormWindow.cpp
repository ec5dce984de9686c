#include "model/UserFormWindow.h"

#include <initializer_list>
#include <string_view>

namespace tolvane {
namespace {

std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) text.append(line).append("\r\n");
    return text;
}

}  // namespace

std::string UserFormWindowDeclarations() {
    return Lines({
        "#If VBA7 Then",
        "    Private Declare PtrSafe Function FindWindowA Lib \"user32\" (ByVal lpClassName As String, ByVal lpWindowName As String) As LongPtr",
        "    #If Win64 Then",
        "        Private Declare PtrSafe Function GetWindowLongPtrA Lib \"user32\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr",
        "        Private Declare PtrSafe Function SetWindowLongPtrA Lib \"user32\" (ByVal hWnd As LongPtr, ByVal nIndex As Long, ByVal dwNewLong As LongPtr) As LongPtr",
        "    #Else",
        "        Private Declare PtrSafe Function GetWindowLongPtrA Lib \"user32\" Alias \"GetWindowLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr",
        "        Private Declare PtrSafe Function SetWindowLongPtrA Lib \"user32\" Alias \"SetWindowLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long, ByVal dwNewLong As LongPtr) As LongPtr",
        "    #End If",
        "#Else",
        "    Private Declare Function FindWindowA Lib \"user32\" (ByVal lpClassName As String, ByVal lpWindowName As String) As Long",
        "    Private Declare Function GetWindowLongPtrA Lib \"user32\" Alias \"GetWindowLongA\" (ByVal hWnd As Long, ByVal nIndex As Long) As Long",
        "    Private Declare Function SetWindowLongPtrA Lib \"user32\" Alias \"SetWindowLongA\" (ByVal hWnd As Long, ByVal nIndex As Long, ByVal dwNewLong As Long) As Long",
        "#End If",
        "Private Const GWL_STYLE As Long = -16",
        "Private Const WS_THICKFRAME As Long = &H40000",
    });
}

std::string UserFormWindowLoadLines() {
    return Lines({
        "#If VBA7 Then",
        "    Dim hWndForm As LongPtr",
        "#Else",
        "    Dim hWndForm As Long",
        "#End If",
        "Dim sCaption As String",
        "sCaption = Me.Caption",
        "Me.Caption = \"Tolvane \" & ObjPtr(Me)",
        "hWndForm = FindWindowA(vbNullString, Me.Caption)",
        "Me.Caption = sCaption",
        "If hWndForm <> 0 Then SetWindowLongPtrA hWndForm, GWL_STYLE, GetWindowLongPtrA(hWndForm, GWL_STYLE) Or WS_THICKFRAME",
    });
}

}  // namespace tolvane
