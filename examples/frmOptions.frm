VERSION 5.00
Begin VB.Form frmOptions 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Options"
   ClientHeight    =   3600
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   4680
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   3600
   ScaleWidth      =   4680
   ShowInTaskbar   =   0   'False
   StartUpPosition =   1  'CenterOwner
   Begin VB.Frame fraPaths 
      Caption         =   "Folders"
      Height          =   2535
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   4455
      Begin VB.Frame fraInner 
         Caption         =   "Recent"
         Height          =   1455
         Left            =   120
         TabIndex        =   3
         Top             =   960
         Width           =   4215
         Begin VB.Label lblPath 
            Caption         =   "Second:"
            Height          =   255
            Index           =   1
            Left            =   120
            TabIndex        =   5
            Top             =   720
            Width           =   975
         End
         Begin VB.Label lblPath 
            Caption         =   "First:"
            Height          =   255
            Index           =   0
            Left            =   120
            TabIndex        =   4
            Top             =   360
            Width           =   975
         End
      End
      Begin VB.TextBox txtPath 
         Height          =   285
         Left            =   1200
         TabIndex        =   2
         Text            =   "C:\Projects"
         Top             =   360
         Width           =   3135
      End
      Begin VB.Label lblPath 
         Caption         =   "Projects:"
         Height          =   255
         Index           =   2
         Left            =   120
         TabIndex        =   1
         Top             =   360
         Width           =   975
      End
   End
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   3360
      TabIndex        =   6
      Top             =   3120
      Width           =   1215
   End
End
Attribute VB_Name = "frmOptions"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdOK_Click()
    Me.Hide
End Sub
