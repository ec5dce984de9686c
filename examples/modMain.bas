Attribute VB_Name = "modMain"
Option Explicit

Public Function AppTitle() As String
    AppTitle = App.Title & " " & App.Major & "." & App.Minor
End Function
